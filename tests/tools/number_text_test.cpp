#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tools/number_text.h"

namespace velmora::cli {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double max = std::numeric_limits<double>::max();
const double nan = std::numeric_limits<double>::quiet_NaN();

TEST(CliNumberText, GroupedAndCurrency) {
    // Value, digits after the point, groupedNumber, currency.
    const std::vector<std::tuple<double, int, std::string, std::string>> cases{
        {0, 0, "0", "$0"},
        {999.6, 0, "1,000", "$1,000"},
        {-123456, 0, "-123,456", "-$123,456"},
        {1234567.891, 2, "1,234,567.89", "$1,234,567.89"},
        {-0.125, 2, "-0.12", "-$0.12"},
        {-0.0, 0, "0", "$0"},  // what rounds to zero has no sign
        {-0.004, 2, "0.00", "$0.00"},
        {-9, 0, "-9", "-$9"},
        {-0.99, 2, "-0.99", "-$0.99"},
        {999999999999999.4, 0, "999,999,999,999,999", "$999,999,999,999,999"},
        {999999999999999.6, 0, "1e+15", "$1e+15"},
        {-2.952714e300, 2, "-2.952714e+300", "-$2.952714e+300"},
        {1e21, 0, "1e+21", "$1e+21"},
        {nan, 0, "NaN", "NaN"},
        {-nan, 2, "NaN", "NaN"},
        {inf, 0, "∞", "∞"},
        {-inf, 2, "-∞", "-∞"},
    };
    for (const auto& [value, digits, grouped, dollars] : cases) {
        EXPECT_EQ(groupedNumber(value, digits), grouped) << value;
        EXPECT_EQ(currency(value, digits), dollars) << value;
    }
    EXPECT_EQ(groupedNumber(max, 0), "1.79769313486232e+308") << "fifteen digits, as the window";
}

// The shortest text that reads back exactly, the longest ones within the room callers reserve.
TEST(CliNumberText, Shortest) {
    const std::vector<std::pair<double, std::string>> cases{
        {0.59, "0.59"},       {100, "100"},
        {1e20, "1e+20"},      {0.1 + 0.2, "0.30000000000000004"},
        {-0.0, "-0"},         {-max, "-1.7976931348623157e+308"},
        {-5e-324, "-5e-324"}, {nan, "nan"},
        {-nan, "nan"},        {-inf, "-inf"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(shortest(value), text);
        EXPECT_LE(text.size(), shortestCapacity);
    }
}

}  // namespace
}  // namespace velmora::cli
