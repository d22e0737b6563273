#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/cli.h"

namespace velmora::cli {
namespace {

ParseResult parse(std::vector<std::string_view> arguments) {
    return parseArguments(arguments);
}

TEST(CliArguments, AbsentFlagsKeepTheScenarioDefaults) {
    const auto parsed = parse({});
    ASSERT_TRUE(std::holds_alternative<Options>(parsed));
    EXPECT_EQ(std::get<Options>(parsed).values, ScenarioValues{});
    EXPECT_EQ(std::get<Options>(parsed).format, OutputFormat::Table);
}

TEST(CliArguments, EachFlagSetsItsOwnFieldInEitherForm) {
    struct Case {
        std::vector<std::string_view> arguments;
        double ScenarioValues::*field;
        double expected;
    };
    const std::vector<Case> cases{
        {{"--months", "12.5"}, &ScenarioValues::monthsToProject, 12.5},
        {{"--months=-1e300"}, &ScenarioValues::monthsToProject, -1e300},
        {{"--daily-trials=250"}, &ScenarioValues::dailyNewSubs, 250},
        {{"--starting-subscribers", "5000"}, &ScenarioValues::startingSubs, 5000},
        {{"--price=-2"}, &ScenarioValues::price, -2},
        {{"--trial-retention", "1.5"}, &ScenarioValues::trialRetention, 1.5},
        {{"--rt1", ".3"}, &ScenarioValues::rt1, 0.3},
        {{"--rt2=0.2e1"}, &ScenarioValues::rt2, 2},
        {{"--rt3", "0"}, &ScenarioValues::rt3, 0},
        {{"--rt4", "-0.5"}, &ScenarioValues::rt4, -0.5},
        {{"--rt5=1"}, &ScenarioValues::rt5, 1},
        {{"--rt6", "0.125"}, &ScenarioValues::rt6, 0.125},
        {{"--rest", "0.75"}, &ScenarioValues::rtPlus, 0.75},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        const auto parsed = parse(c.arguments);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed));
        ScenarioValues expected;
        expected.*c.field = c.expected;
        EXPECT_EQ(std::get<Options>(parsed).values, expected) << "no other field moves";
    }
}

TEST(CliArguments, MonthLengthAndFormat) {
    const auto parsed = parse({"--month-duration", "7", "--format=json"});
    ASSERT_TRUE(std::holds_alternative<Options>(parsed));
    EXPECT_EQ(std::get<Options>(parsed).values.monthDuration, 7);
    EXPECT_EQ(std::get<Options>(parsed).format, OutputFormat::Json);
    const auto zero = parse({"--month-duration=0", "--format", "csv"});
    ASSERT_TRUE(std::holds_alternative<Options>(zero));
    EXPECT_EQ(std::get<Options>(zero).values.monthDuration, 0);
    EXPECT_EQ(std::get<Options>(zero).format, OutputFormat::Csv);
}

TEST(CliArguments, HelpWinsWhereAFlagMayStand) {
    EXPECT_TRUE(std::holds_alternative<HelpRequested>(parse({"--help"})));
    EXPECT_TRUE(std::holds_alternative<HelpRequested>(parse({"--price", "2", "-h"})));
}

TEST(CliArguments, BadInputIsOneLineNamingTheFlag) {
    struct Case {
        std::vector<std::string_view> arguments;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"--price", "abc"}, R"(--price: "abc" is not a number)"},
        {{"--price="}, R"(--price: "" is not a number)"},
        {{"--rt3", "0.5x"}, R"(--rt3: "0.5x" is not a number)"},
        {{"--rt4", " 0.5"}, R"(--rt4: " 0.5" is not a number)"},
        {{"--rt5", "0,5"}, R"(--rt5: "0,5" is not a number)"},
        {{"--rest", "nan"}, R"(--rest: "nan" is not a finite number)"},
        {{"--rt1=-inf"}, R"(--rt1: "-inf" is not a finite number)"},
        {{"--daily-trials", "1e400"}, R"(--daily-trials: "1e400" is out of range)"},
        {{"--rt2", "a\nb\""}, R"(--rt2: "a\x0ab\"" is not a number)"},
        {{"--month-duration", "2.5"}, R"(--month-duration: "2.5" is not a whole number of days)"},
        {{"--month-duration", "-3"},
         R"(--month-duration: "-3" is negative; a month has 0 or more days)"},
        {{"--format", "xml"}, R"(--format: "xml" is not one of table, csv, json)"},
        {{"--format", "CSV"}, R"(--format: "CSV" is not one of table, csv, json)"},
        {{"--bogus", "1"}, "--bogus: unknown flag (see --help)"},
        {{"--rt7=1"}, "--rt7: unknown flag (see --help)"},
        {{"months", "3"}, R"("months": unexpected argument; flags start with --)"},
        {{"--months"}, "--months: missing value"},
        {{"--price", "--months", "3"}, "--price: missing value"},
        {{"--rt1", "0.5", "--rt1=0.6"}, "--rt1: given more than once"},
        {{"--help=yes"}, "--help: takes no value"},
    };
    for (const Case& c : cases) {
        const auto parsed = parse(c.arguments);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << c.message;
        EXPECT_EQ(std::get<UsageError>(parsed).message, c.message);
    }
}

TEST(CliArguments, ProjectionsBeyondTheLimitsAreRefusedUnderMonths) {
    struct Case {
        std::vector<std::string_view> arguments;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"--months", "100000"},
         "--months: 100,000 months of 30 days would need about 5.46 TiB; the limit is 4 GiB"},
        {{"--months", "1", "--month-duration", "300000"},
         "--months: 1 month of 300,000 days would take about 4.5e10 cohort-days of work; the "
         "limit is 2e10"},
        {{"--months", "1e30"},
         "--months: 1e+30 months of 30 days is far beyond the limit of 4 GiB"},
    };
    for (const Case& c : cases) {
        const auto parsed = parse(c.arguments);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << c.message;
        EXPECT_EQ(std::get<UsageError>(parsed).message, c.message);
    }
    // Large but within bounds, and the sizes that project nothing at all.
    for (const auto& ok : std::vector<std::vector<std::string_view>>{
             {"--months", "600", "--starting-subscribers", "5000"},
             {"--months", "-1e30"},
             {"--months", "1e30", "--month-duration", "0"}}) {
        EXPECT_TRUE(std::holds_alternative<Options>(parse(ok))) << ok[1];
    }
}

TEST(CliRun, UnwritableOutputFails) {
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    const std::vector<std::string_view> arguments{"--months", "1"};
    EXPECT_EQ(run(arguments, out, err), exitOutputFailed);
    EXPECT_TRUE(err.str().ends_with("velmora-project: could not write the output\n"));
}

}  // namespace
}  // namespace velmora::cli
