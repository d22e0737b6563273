#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "engine/table_figures.h"
#include "tools/render.h"

namespace velmora::cli {
namespace {

// A projection kept together with the scenario it reads from.
struct Projected {
    explicit Projected(const ScenarioValues& values) : scenario(values) {}
    QJsonObject json() const {
        std::ostringstream out;
        writeJson(scenario.scenarioValues(), projection, out);
        QJsonParseError error{};
        const auto document = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return document.object();
    }
    FixedScenario scenario;
    std::ostringstream announce;
    SubscriptionCalculation projection{scenario, announce};
};

// Two months of two days: 5 trials convert each day, the first month's two
// cohorts renew at 0.8, so the months open with 5 and 4 + 5 + 5 = 14.
TEST(CliRender, WorkedProjectionAsTableAndCsv) {
    const Projected worked({.monthDuration = 2,
                            .monthsToProject = 2,
                            .dailyNewSubs = 10,
                            .trialRetention = 0.5,
                            .rt1 = 0.8});
    std::ostringstream table;
    writeTable(worked.projection, 1.99, table);
    EXPECT_EQ(table.str(),
              "   14 subscribers\n"
              "  $24 monthly\n"
              " $288 annually\n"
              "$7.62 24mo LTV per trial\n"
              "\n"
              "Month  Active  Change  Proceeds  Annualized\n"
              "M0          5       -        $8        $103\n"
              "M1         14      +9       $24        $288\n");
    std::ostringstream csv;
    writeCsv(worked.projection.monthlySnapshots, 1.99, csv);
    EXPECT_EQ(csv.str(),
              "month,active,change,proceeds,annualized\n"
              "0,5,,8.4575,102.89958333333333\n"
              "1,14,9,23.680999999999997,288.11883333333327\n");
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
    const Projected projected({.monthsToProject = 12, .startingSubs = 500, .price = 2.49});
    const QJsonObject root = projected.json();
    EXPECT_EQ(root.size(), 4);
    EXPECT_EQ(root["inputs"].toObject().size(), 13);
    EXPECT_EQ(root["inputs"]["monthDuration"], QJsonValue(30));
    EXPECT_EQ(root["inputs"]["price"], QJsonValue(2.49));
    EXPECT_EQ(root["lifetimeValuePerTrial"],
              QJsonValue(shownLifetimeValue(projected.scenario.scenarioValues(), 2.49)));
    EXPECT_EQ(root["snapshots"], expectedJson(projected.projection.snapshots));
    EXPECT_EQ(root["monthlySnapshots"], expectedJson(projected.projection.monthlySnapshots));
}

TEST(CliJson, NonFiniteNumbersAreStrings) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QJsonObject root =
        Projected({.monthDuration = 1, .monthsToProject = 1, .dailyNewSubs = nan}).json();
    EXPECT_EQ(root["inputs"]["dailyNewSubs"], QJsonValue("nan"));
    const QJsonValue day = root["snapshots"][0];
    EXPECT_EQ(day["active"], QJsonValue("nan"));
    EXPECT_EQ(day["cohorts"][0]["count"], QJsonValue("nan"));
}

}  // namespace
}  // namespace velmora::cli
