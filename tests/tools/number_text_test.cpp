#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/number_text.h"

namespace velmora::cli {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

struct FixedCase {
    double value;
    int digits;
    std::string grouped;
    std::string dollars;
};

TEST(CliNumberText, GroupedAndCurrencyInUsStyle) {
    const std::vector<FixedCase> cases{
        {0, 0, "0", "$0"},
        {2000, 0, "2,000", "$2,000"},
        {999.4, 0, "999", "$999"},
        {999.6, 0, "1,000", "$1,000"},
        {3383.2, 0, "3,383", "$3,383"},
        {-1234.2, 0, "-1,234", "-$1,234"},
        {123456, 0, "123,456", "$123,456"},
        {1234567.891, 2, "1,234,567.89", "$1,234,567.89"},
        {7.4886, 2, "7.49", "$7.49"},
        {-0.125, 2, "-0.12", "-$0.12"},
        {1e21, 0, "1,000,000,000,000,000,000,000", "$1,000,000,000,000,000,000,000"},
        {nan, 0, "NaN", "NaN"},
        {-nan, 2, "NaN", "NaN"},
        {inf, 0, "∞", "∞"},
        {-inf, 2, "-∞", "-∞"},
    };
    for (const FixedCase& c : cases) {
        EXPECT_EQ(groupedNumber(c.value, c.digits), c.grouped) << c.value;
        EXPECT_EQ(currency(c.value, c.digits), c.dollars) << c.value;
    }
    EXPECT_EQ(groupedNumber(std::numeric_limits<double>::max(), 0).size(), 309u + 102u);
}

TEST(CliNumberText, ShortestReadsBackExactly) {
    const std::vector<std::pair<double, std::string>> cases{
        {0.59, "0.59"}, {100, "100"}, {1e20, "1e+20"}, {0.1 + 0.2, "0.30000000000000004"},
        {-0.0, "-0"},   {nan, "nan"}, {-nan, "nan"},   {inf, "inf"},
        {-inf, "-inf"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(shortest(value), text);
    }
    // The longest texts a double can need must fit the room callers reserve.
    for (const double value :
         {-std::numeric_limits<double>::max(), -2.2250738585072014e-308, -5e-324, 1.0 / 3}) {
        const std::string text = shortest(value);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_EQ(back, value) << text;
        EXPECT_LE(text.size(), shortestCapacity);
    }
}

}  // namespace
}  // namespace velmora::cli
