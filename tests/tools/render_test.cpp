#include <limits>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "support/projected.h"
#include "tools/render.h"

namespace velmora::cli {
namespace {

/// What the tool writes as JSON for `projection`, read back by Qt.
QJsonObject json(const SubscriptionCalculation& projection) {
    std::ostringstream out;
    writeJson(projection.inputs->scenarioValues(), projection, out);
    QJsonParseError error{};
    const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

// The worked projection: two months of two days, 5 trials converting each day
// and the first month's two cohorts renewing at 0.8, so the months open with 5
// and 4 + 5 + 5 = 14. Then months made by hand: an unchanged month gains "+0",
// a month whose count is not a number has no change, and the next changes by NaN.
TEST(CliRender, TableAndCsv) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::tuple<std::shared_ptr<SubscriptionCalculation>, double, const char*, const char*>
        cases[] = {
            {project({.monthDuration = 2,
                      .monthsToProject = 2,
                      .dailyNewSubs = 10,
                      .trialRetention = 0.5,
                      .rt1 = 0.8}),
             1.99,
             // A year of 2-day months is 182.5 of them.
             "    14 subscribers\n"
             "   $24 monthly\n"
             "$4,322 annually\n"
             " $7.62 24mo LTV per trial\n"
             "\n"
             "Month  Active  Change  Proceeds  Annualized\n"
             "M0          5       -        $8      $1,543\n"
             "M1         14      +9       $24      $4,322\n",
             "month,active,change,proceeds,annualized\n"
             "0,5,,8.4575,1543.4937499999999\n"
             "1,14,9,23.680999999999997,4321.782499999999\n"},
            {withMonths({100, 100, nan, 90}), 2,
             "    90 subscribers\n"
             "  $153 monthly\n"
             "$1,861 annually\n"
             " $7.53 24mo LTV per trial\n"
             "\n"
             "Month  Active  Change  Proceeds  Annualized\n"
             "M0        100       -      $170      $2,068\n"
             "M1        100      +0      $170      $2,068\n"
             "M2        NaN               NaN         NaN\n"
             "M3         90     NaN      $153      $1,861\n",
             "month,active,change,proceeds,annualized\n"
             "0,100,,170,2068.3333333333335\n"
             "1,100,0,170,2068.3333333333335\n"
             "2,nan,,nan,nan\n"
             "3,90,nan,153,1861.4999999999998\n"},
        };
    for (const auto& [projection, price, expectedTable, expectedCsv] : cases) {
        std::ostringstream table;
        writeTable(projection->inputs->scenarioValues(), projection->monthlySnapshots, price,
                   table);
        EXPECT_EQ(table.str(), expectedTable);
        std::ostringstream csv;
        writeCsv(projection->monthlySnapshots, price, projection->monthDuration, csv);
        EXPECT_EQ(csv.str(), expectedCsv);
    }
}

// The records as Qt would write them, to compare with what the tool wrote.
QJsonValue expectedJson(const std::vector<SubscriptionSnapshot>& snapshots) {
    const auto text = [](const std::string& s) { return QString::fromStdString(s); };
    QJsonArray list;
    for (const SubscriptionSnapshot& s : snapshots) {
        QJsonArray cohorts;
        for (const SubscriptionCohort& c : s.cohorts) {
            cohorts.append(QJsonObject{{"id", text(c.id.toString())},
                                       {"epoch", static_cast<qint64>(c.epoch)},
                                       {"cohort", text(c.cohort.text())},
                                       {"count", c.count}});
        }
        list.append(QJsonObject{{"id", text(s.id.toString())},
                                {"epoch", static_cast<qint64>(s.epoch)},
                                {"active", s.active},
                                {"cohorts", cohorts}});
    }
    return list;
}

TEST(CliJson, CarriesEveryRecordExactly) {
    // Starting subscribers give negative cohort labels; 12 months of 30 days
    // write far more than one output buffer.
    const auto projected = project({.monthsToProject = 12, .startingSubs = 500, .price = 2.49});
    const QJsonObject root = json(*projected);
    EXPECT_EQ(root.size(), 4);
    EXPECT_EQ(root["inputs"].toObject().size(), 13);
    EXPECT_EQ(root["inputs"]["monthDuration"], QJsonValue(30));
    EXPECT_EQ(root["inputs"]["price"], QJsonValue(2.49));
    EXPECT_NEAR(root["lifetimeValuePerTrial"].toDouble(), 9.37020597849907, 1e-12);
    EXPECT_EQ(root["snapshots"], expectedJson(projected->snapshots));
    EXPECT_EQ(root["monthlySnapshots"], expectedJson(projected->monthlySnapshots));
}

TEST(CliJson, NonFiniteNumbersAreStrings) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QJsonObject root =
        json(*project({.monthDuration = 1, .monthsToProject = 1, .dailyNewSubs = nan}));
    EXPECT_EQ(root["inputs"]["dailyNewSubs"], QJsonValue("nan"));
    const QJsonValue day = root["snapshots"][0];
    EXPECT_EQ(day["active"], QJsonValue("nan"));
    EXPECT_EQ(day["cohorts"][0]["count"], QJsonValue("nan"));
}

}  // namespace
}  // namespace velmora::cli
