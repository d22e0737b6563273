#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/run_cli.h"

namespace velmora::cli {
namespace {

/// `count` later rates of 0.5, as --later-rates takes them.
std::string laterRates(std::size_t count) {
    std::string list = "0.5";
    for (std::size_t i = 1; i < count; ++i) {
        list += ",0.5";
    }
    return list;
}

TEST(CliArguments, GoodInput) {
    using enum OutputFormat;
    // Arguments split at spaces. Distinct values catch a flag that sets the wrong field.
    const std::vector<std::pair<std::string, Options>> cases{
        {"", {}},
        {"--months 12.5 --daily-trials=250 --starting-subscribers 5000 --price=-2 "
         "--trial-retention 1.5 --rt1 .3 --rt2=0.2e1 --rt3 0 --rt4 -0.5 --rt5=1 --rt6 0.125 "
         "--rest -1e-3 --month-duration=7 --format json",
         {{7, 12.5, 250, 5000, -2, 1.5, 0.3, 2, 0, -0.5, 1, 0.125, -1e-3}, Json}},
        {"--month-duration 1 --format=csv --months 1e30",
         {{.monthDuration = 1, .monthsToProject = 1e30}, Csv}},
        // Large but within the limits, and a negative size that projects nothing.
        {"--months 600 --starting-subscribers=5000",
         {{.monthsToProject = 600, .startingSubs = 5000}}},
        {"--months=-1e30 --format table", {{.monthsToProject = -1e30}, Table}},
        {"-months 2 --save=--x", {{.monthsToProject = 2}}},
        {"--later-rates 0.93,1e-3,-0,2 --rest=0.9",
         {{.rtPlus = 0.9, .laterRates = {0.93, 1e-3, -0.0, 2}}}},
        {"--later-rates=" + laterRates(1200), {{.laterRates = std::vector<double>(1200, 0.5)}}},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        const Arguments given = words(text);
        const auto parsed =
            parseArguments(std::vector<std::string_view>(given.begin(), given.end()));
        ASSERT_TRUE(std::holds_alternative<Options>(parsed));
        EXPECT_EQ(std::get<Options>(parsed).values, expected.values);
        EXPECT_EQ(std::get<Options>(parsed).format, expected.format);
    }
}

// Through run(): exit status 2, nothing on standard output, one line naming the flag.
TEST(CliArguments, BadInput) {
    const std::string tooMany = laterRates(1201);
    const std::vector<std::pair<Arguments, std::string>> cases{
        {{"--bogus", "1"}, "--bogus: unknown flag (see --help)"},
        {{"months", "3"}, R"("months": unexpected argument; flags start with --)"},
        {{"--months"}, "--months: missing value"},
        {{"--price", "--months", "3"}, "--price: missing value"},
        {{"--scenario", "--settle=1"}, "--scenario: missing value"},
        {{"--save", "-h=1", "--months"}, "--months: missing value"},
        {{"-x", "--", "3"}, "-x: unknown flag (see --help)"},
        {{"--", "3"}, R"("3": unexpected argument; flags start with --)"},
        {{"--price="}, R"(--price: "" is not a number)"},
        {{"--rt3", "0.5x"}, R"(--rt3: "0.5x" is not a number)"},
        {{"--rt2", "a\nb\""}, R"(--rt2: "a\x0ab\"" is not a number)"},
        {{"--rest=-nan"}, R"(--rest: "-nan" is not a finite number)"},
        {{"--daily-trials", "1e400"}, R"(--daily-trials: "1e400" is out of range)"},
        {{"--price=9e9223372036854775807"}, R"(--price: "9e9223372036854775807" is out of range)"},
        // the rule of every count: digits alone, 1 or more days
        {{"--month-duration", "2.5"},
         R"(--month-duration: "2.5" is not a whole number of days, 1 or more)"},
        {{"--month-duration", "-3"},
         R"(--month-duration: "-3" is not a whole number of days, 1 or more)"},
        {{"--month-duration", "0"},
         R"(--month-duration: "0" is not a whole number of days, 1 or more)"},
        {{"--month-duration", "3e1"},
         R"(--month-duration: "3e1" is not a whole number of days, 1 or more)"},
        {{"--month-duration", "99999999999999999999"},
         R"(--month-duration: "99999999999999999999" is not a whole number of days, 1 or more)"},
        {{"--format", "CSV"}, R"(--format: "CSV" is not one of table, csv, json, xlsx, pdf)"},
        {{"--rt1", "0.5", "--rt1=0.6"}, "--rt1: given more than once"},
        {{"--version=1"}, "--version: takes no value"},
        {{"--months", "100000"},
         "--months: 100,000 months of 30 days would take about 1.5e11 cohort-months of work; the "
         "limit is 2e10"},
        {{"--month-duration", "300000", "--months", "1", "--format", "json"},
         "--months: 1 month of 300,000 days would take about 4.5e10 cohort-days of work; the "
         "limit is 2e10"},
        {{"--months", "1e30"},
         "--months: 1e+30 months of 30 days is far beyond the limit of 4 GiB"},
        {{"--later-rates", ""}, "--later-rates: entry 1 is empty; give shares separated by commas"},
        {{"--later-rates=0.9,,0.8"},
         "--later-rates: entry 2 is empty; give shares separated by commas"},
        {{"--later-rates", "0.9,"},
         "--later-rates: entry 2 is empty; give shares separated by commas"},
        {{"--later-rates", "0.9, 0.8"}, R"(--later-rates: entry 2: " 0.8" is not a number)"},
        {{"--later-rates", "0.9;0.8"}, R"(--later-rates: entry 1: "0.9;0.8" is not a number)"},
        {{"--later-rates", "0.9,0.8,nan"},
         R"(--later-rates: entry 3: "nan" is not a finite number)"},
        {{"--later-rates", "1e999"}, R"(--later-rates: entry 1: "1e999" is out of range)"},
        {{"--later-rates", tooMany}, "--later-rates: more than 1,200 rates"},
        {{"--later-rates", "0.9", "--later-rates=0.8"}, "--later-rates: given more than once"},
    };
    for (const auto& [arguments, message] : cases) {
        expectRefused(arguments, message);
    }
}

}  // namespace
}  // namespace velmora::cli
