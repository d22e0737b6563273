#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "engine/table_figures.h"
#include "tools/number_text.h"
#include "tools/render.h"

namespace velmora::cli {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

// A projection kept together with the scenario it reads from.
struct Projected {
    explicit Projected(const ScenarioValues& values) : scenario(values) {}
    // A projection of nothing whose monthly list is replaced, for figures the
    // engine would rarely produce.
    explicit Projected(const std::vector<double>& actives)
        : scenario(ScenarioValues{.monthsToProject = 0}) {
        UuidGenerator ids(7);
        for (std::size_t i = 0; i < actives.size(); ++i) {
            projection.monthlySnapshots.emplace_back(ids, static_cast<std::int64_t>(i), actives[i],
                                                     std::vector<SubscriptionCohort>{});
        }
    }
    FixedScenario scenario;
    std::ostringstream announce;
    SubscriptionCalculation projection{scenario, announce};
};

// Two months of two days: 5 trials convert each day, the first month's two
// cohorts renew at 0.8, so the months open with 5 and 4 + 5 + 5 = 14.
const ScenarioValues worked{.monthDuration = 2,
                            .monthsToProject = 2,
                            .dailyNewSubs = 10,
                            .trialRetention = 0.5,
                            .rt1 = 0.8};

TEST(CliTable, WorkedProjection) {
    const Projected projected(worked);
    std::ostringstream out;
    writeTable(projected.projection, 1.99, out);
    EXPECT_EQ(out.str(),
              "   14 subscribers\n"
              "  $24 monthly\n"
              " $288 annually\n"
              "$7.62 24mo LTV per trial\n"
              "\n"
              "Month  Active  Change  Proceeds  Annualized\n"
              "M0          5       -        $8        $103\n"
              "M1         14      +9       $24        $288\n");
}

TEST(CliTable, ChangeSignsAndNonFiniteFiguresStayAligned) {
    const Projected replaced(std::vector<double>{1500, 1500, 400, nan, inf});
    std::ostringstream out;
    writeTable(replaced.projection, 2, out);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 5u + 6u);
    EXPECT_EQ(lines[0], "    ∞ subscribers");
    const std::vector<std::string> table(lines.begin() + 5, lines.end());
    EXPECT_EQ(table[1], "M0      1,500       -    $2,550     $31,025");
    EXPECT_EQ(table[2], "M1      1,500      +0    $2,550     $31,025");
    EXPECT_EQ(table[3], "M2        400  -1,100      $680      $8,273");
    EXPECT_EQ(table[4], "M3        NaN               NaN         NaN") << "Missing: no change";
    EXPECT_EQ(table[5], "M4          ∞     NaN         ∞           ∞");
    for (const std::string& line : table) {
        EXPECT_EQ(displayWidth(line), displayWidth(table[0])) << line;
    }
    EXPECT_EQ(out.str().find("nan"), std::string::npos);
}

TEST(CliTable, NoMonthsMeansNoSummary) {
    const Projected none(std::vector<double>{});
    std::ostringstream out;
    writeTable(none.projection, 2, out);
    EXPECT_EQ(out.str(), "Month  Active  Change  Proceeds  Annualized\n");
}

TEST(CliCsv, ExactLines) {
    const Projected projected(worked);
    std::ostringstream out;
    writeCsv(projected.projection.monthlySnapshots, 1.99, out);
    EXPECT_EQ(out.str(),
              "month,active,change,proceeds,annualized\n"
              "0,5,,8.4575,102.89958333333333\n"
              "1,14,9,23.680999999999997,288.11883333333327\n");

    const Projected replaced(std::vector<double>{100, nan, inf, -inf});
    std::ostringstream special;
    writeCsv(replaced.projection.monthlySnapshots, 2, special);
    EXPECT_EQ(special.str(),
              "month,active,change,proceeds,annualized\n"
              "0,100,,170,2068.3333333333335\n"
              "1,nan,,nan,nan\n"
              "2,inf,nan,inf,inf\n"
              "3,-inf,-inf,-inf,-inf\n");
}

QJsonObject parsed(const std::string& text) {
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

// Keys in the order scripts reading the stream will meet them.
void expectInOrder(std::string_view text, const std::vector<std::string>& keys) {
    std::size_t at = 0;
    for (const std::string& key : keys) {
        const std::size_t found = text.find('"' + key + "\":", at);
        ASSERT_NE(found, std::string_view::npos) << key;
        at = found;
    }
}

void expectSnapshots(const QJsonArray& list, const std::vector<SubscriptionSnapshot>& expected) {
    ASSERT_EQ(static_cast<std::size_t>(list.size()), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QJsonObject snapshot = list[static_cast<qsizetype>(i)].toObject();
        EXPECT_EQ(snapshot.size(), 4);
        EXPECT_EQ(snapshot["id"].toString().toStdString(), expected[i].id.toString());
        EXPECT_EQ(snapshot["epoch"].toInteger(), expected[i].epoch);
        EXPECT_EQ(snapshot["active"].toDouble(), expected[i].active);
        const QJsonArray cohorts = snapshot["cohorts"].toArray();
        ASSERT_EQ(static_cast<std::size_t>(cohorts.size()), expected[i].cohorts.size());
        for (qsizetype c = 0; c < cohorts.size(); ++c) {
            const SubscriptionCohort& cohort = expected[i].cohorts[static_cast<std::size_t>(c)];
            const QJsonObject record = cohorts[c].toObject();
            EXPECT_EQ(record["id"].toString().toStdString(), cohort.id.toString());
            EXPECT_EQ(record["epoch"].toInteger(), cohort.epoch);
            EXPECT_EQ(record["cohort"].toString().toStdString(), cohort.cohort.text());
            EXPECT_EQ(record["count"].toDouble(), cohort.count);
        }
    }
}

TEST(CliJson, CarriesEveryRecordExactly) {
    // Starting subscribers give negative cohort labels; 12 months of 30 days
    // write far more than one output buffer.
    ScenarioValues values;
    values.monthsToProject = 12;
    values.startingSubs = 500;
    values.price = 2.49;
    const Projected projected(values);
    const SubscriptionCalculation& projection = projected.projection;
    std::ostringstream out;
    writeJson(values, projection, out);

    const QJsonObject root = parsed(out.str());
    expectInOrder(out.str(),
                  {"inputs", "monthDuration", "monthsToProject", "dailyNewSubs", "startingSubs",
                   "price", "trialRetention", "rt1", "rt2", "rt3", "rt4", "rt5", "rt6", "rtPlus",
                   "lifetimeValuePerTrial", "snapshots", "monthlySnapshots"});
    EXPECT_EQ(root.size(), 4);
    const QJsonObject inputs = root["inputs"].toObject();
    EXPECT_EQ(inputs.size(), 13);
    EXPECT_EQ(inputs["monthDuration"].toInteger(), 30);
    EXPECT_EQ(inputs["price"].toDouble(), 2.49);
    EXPECT_EQ(inputs["rt5"].toDouble(), 0.90);
    EXPECT_EQ(root["lifetimeValuePerTrial"].toDouble(), shownLifetimeValue(values, 2.49));
    expectSnapshots(root["snapshots"].toArray(), projection.snapshots);
    expectSnapshots(root["monthlySnapshots"].toArray(), projection.monthlySnapshots);
    EXPECT_TRUE(out.str().ends_with("}\n"));
}

TEST(CliJson, NonFiniteNumbersAreStrings) {
    ScenarioValues values;
    values.monthDuration = 1;
    values.monthsToProject = 1;
    values.dailyNewSubs = nan;
    values.price = inf;
    values.rtPlus = -inf;
    const Projected projected(values);
    const SubscriptionCalculation& projection = projected.projection;
    std::ostringstream out;
    writeJson(values, projection, out);

    const QJsonObject root = parsed(out.str());
    const QJsonObject inputs = root["inputs"].toObject();
    EXPECT_EQ(inputs["dailyNewSubs"], QJsonValue("nan"));
    EXPECT_EQ(inputs["price"], QJsonValue("inf"));
    EXPECT_EQ(inputs["rtPlus"], QJsonValue("-inf"));
    const QJsonObject day = root["snapshots"].toArray()[0].toObject();
    EXPECT_EQ(day["active"], QJsonValue("nan"));
    EXPECT_EQ(day["cohorts"].toArray()[0].toObject()["count"], QJsonValue("nan"));
}

}  // namespace
}  // namespace velmora::cli
