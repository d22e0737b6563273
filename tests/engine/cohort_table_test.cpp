#include <string>

#include <gtest/gtest.h>

#include "engine/calibration/cohort_table.h"

namespace velmora {
namespace {

using Counts = std::vector<double>;

TEST(CohortTable, ReadsWhatSpreadsheetsAndBillingSystemsWrite) {
    struct Case {
        std::string text;
        std::vector<Counts> counts;
        std::optional<double> trials = {};  // of the first cohort
        std::optional<double> days = {};
    };
    const Case cases[] = {
        {"cohort,0,1,2\n2025-01,1000,650,560\n2025-02,800,500\n2025-03,900\n",
         {{1000, 650, 560}, {800, 500}, {900}}},
        {"\xEF\xBB\xBF"
         "cohort\t0\t1\t2\ttrials\tdays\r\nJan\t100\t61.5\t\t170\t31\t\r\n\r\nFeb\t120\t80\r\n",
         {{100, 61.5}, {120, 80}},
         170,
         31},
        {"cohort;0;1\n\"March, 2025\";100 %;65%\n", {{100, 65}}},
        {"c,Trials,0,1, DAYS \n\"a \"\"b\"\"\",2e3,1000,600,30\n,,", {{1000, 600}}, 2000, 30},
        {"c,0,1\nlate,0,0\nx,5,-0\n", {{0, 0}, {5, 0}}},
        {"c,0,1\n,1e15,60\n,90\n", {{1e15, 60}, {90}}},              // labels left empty may repeat
        {"c,0,1,2\na,100%,50%,0\nb,0,0\n", {{100, 50, 0}, {0, 0}}},  // 0 is 0 in either kind
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto read = readCohortTable(c.text);
        ASSERT_TRUE(std::holds_alternative<CohortTable>(read))
            << std::get<TableProblem>(read).text();
        const CohortTable& table = std::get<CohortTable>(read);
        ASSERT_EQ(table.cohorts.size(), c.counts.size());
        for (std::size_t i = 0; i < c.counts.size(); ++i) {
            EXPECT_EQ(table.cohorts[i].counts, c.counts[i]);
        }
        EXPECT_EQ(table.cohorts[0].trials, c.trials);
        EXPECT_EQ(table.cohorts[0].days, c.days);
    }
    const auto quoted = std::get<CohortTable>(readCohortTable(cases[3].text));
    EXPECT_EQ(quoted.cohorts[0].label, "a \"b\"");
    EXPECT_EQ(std::get<CohortTable>(readCohortTable(cases[2].text)).cohorts[0].label,
              "March, 2025");
}

TEST(CohortTable, RefusesSayingWhereAndWhy) {
    const std::string longHeader = [] {
        std::string header = "c";
        for (int k = 0; k <= 1001; ++k) {
            header += "," + std::to_string(k);
        }
        return header + "\n";
    }();
    std::string manyRows = "c,0,1\n";
    for (int i = 0; i <= 10'000; ++i) {
        manyRows += std::to_string(i) + ",2,1\n";
    }
    struct Case {
        std::string text;
        std::size_t line;
        std::size_t column;
        std::string message;
    };
    const Case cases[] = {
        {"c,0,1\na,100\nb,0,0\n", 0, 0, "no cohort with a renewal"},
        {"", 0, 0, "no cohort with a renewal"},
        {"c,0,1\na,100,abc\n", 2, 3, "expected a number, found \"abc\""},
        {"c,0,1\na,100,-5\n", 2, 3, "a negative count"},
        {"c,0,1,2\na,100,60,70\n", 2, 4,
         "cohort \"a\" grows from 60 after renewal 1 to 70 after renewal 2"},
        {"c,0,1\na,100,60,50\n", 2, 4, "a row longer than the header: 4 cells"},
        {"c\t0\t1\na\t1,234\t900\n", 2, 2, "thousands separator"},
        {"c,0,1\na,\"1,234\",900\n", 2, 2, "thousands separator"},
        {"c,0,1,2\na,100,,50\n", 2, 3, "an empty cell before a later count"},
        {"c,0,1,trials\na,100,60,90\n", 2, 4, "trials cannot be fewer"},
        {"c,0,1,trials\na,100%,60%,900\n", 2, 4, "trials need the cohorts as counts"},
        {"c,0,1,days\na,100,60,0\n", 2, 4, "days of more than 0"},
        {"c,0,1,days\na,100,60,31%\n", 2, 4, "days are a number, not a percentage"},
        {"c,0,1,2,3\nx,1000,70%,60%,55%\n", 2, 3,
         "a percentage among counts, where line 2, column 2 gives a count"},
        {"c,0,1\na,100%,60%\nb,100,60\n", 3, 2,
         "a count among percentages, where line 2, column 2 gives a percentage"},
        {"c,0,1\na,1e400,60\n", 2, 2, "\"1e400\" is too large or too small for a count"},
        {"c,0,1\na,100,60\nb,2e15,1e15\n", 3, 2, "expected a count from 0 to 1e15"},
        {"c,0,1,trials\na,100,60,1e16\n", 2, 4, "expected trials from 0 to 1e15"},
        {"c,0,1\nJan,100,60\nFeb,90,50\nJan,100,60\n", 4, 1,
         "a second cohort labelled \"Jan\", as on line 2"},
        {"c,0,2\n", 1, 3, "expected the column headed 1"},
        {"c,1\n", 1, 2, "expected the column headed 0"},
        {"c,0,1\n\"a,100,60\n", 2, 1, "a quote that is never closed"},
        {"c,0,1\n\xFF,100,60\n", 2, 1, "not UTF-8"},
        {longHeader, 1, 1003, "more than 1,000 renewals"},
        {manyRows, 10'002, 1, "more than 10,000 cohorts"},
        {std::string(maxCohortTableBytes + 1, '\n'), 0, 0, "larger than the 16 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        auto read = readCohortTable(c.text);
        ASSERT_TRUE(std::holds_alternative<TableProblem>(read));
        const TableProblem& problem = std::get<TableProblem>(read);
        EXPECT_EQ(problem.line, c.line);
        EXPECT_EQ(problem.column, c.column);
        EXPECT_NE(problem.message.find(c.message), std::string::npos) << problem.message;
    }
    // Sums of counts near the largest double would overflow: a document's table keeps the bound.
    const auto huge = cohortTableProblem({{{"a", {1e308, 1e308}}, {"b", {1e308, 1e308}}}});
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->cell, "counts[0]");
}

}  // namespace
}  // namespace velmora
