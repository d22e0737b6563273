#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"
#include "ui/common/elided_label.h"
#include "ui/common/scenario_spread.h"
#include "ui/form/inputs_view.h"
#include "ui/form/ranges_dialog.h"
#include "ui/insights/economics_panel.h"
#include "ui/insights/insights_page.h"
#include "ui/pages/scenario_column.h"
#include "ui/table/table_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

class Ranges : public DocumentWindow {
protected:
    Ranges() {
        const auto now = [](std::function<void()> job) {
            job();
            return QtFuture::makeReadyFuture();
        };
        single().spread()->setRunner(now);
        for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
            dual().spread(i)->setRunner(now);
        }
    }

    // The band's upper edge at the last month, as drawn.
    [[nodiscard]] double topOfBand() const {
        const auto& edge = *single().chart()->bandHigh()->data();
        return edge.isEmpty() ? 0 : (edge.constEnd() - 1)->value;
    }
};

// Set in the dialog, drawn once the values rest, following an edit, undone whole.
TEST_F(Ranges, TheBandFollowsTheDialogTheEditsAndUndo) {
    ProjectionChart& chart = *single().chart();
    EXPECT_FALSE(chart.bandHigh()->visible());
    EXPECT_TRUE(single().table()->spreadTexts().isEmpty());
    EXPECT_EQ(single().form()->rangesButton()->text(), "Ranges…");

    single().form()->rangesButton()->click();
    auto* dialog = single().form()->findChild<RangesDialog*>();
    ASSERT_NE(dialog, nullptr);
    type(dialog->lowField(Input::Rt1), "0.55");
    type(dialog->highField(Input::Rt1), "0.6");  // below the value 0.65: refused, kept
    EXPECT_EQ(dialog->highField(Input::Rt1)->lastGoodValue(), 0.65);
    EXPECT_TRUE(dialog->message()->text().contains("cannot lie below the value"))
        << dialog->message()->text().toStdString();
    type(dialog->highField(Input::Rt1), "0.75");
    type(dialog->highField(Input::Price), "2.49");
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    drain();

    const std::vector<Range> set = {{Input::Price, 1.99, 2.49}, {Input::Rt1, 0.55, 0.75}};
    EXPECT_EQ(single().inputs()->ranges(), set);
    EXPECT_EQ(window->session()->document().basicRanges, set);
    EXPECT_EQ(history().undoText(), "Ranges");
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(single().form()->rangesButton()->text(), "Ranges (2)…");
    EXPECT_EQ(single().form()->rangesButton()->toolTip(), "Ranges on Price, Retention Rate 1");

    scenarios.elapse();
    drain();
    EXPECT_TRUE(chart.bandHigh()->visible());
    ASSERT_EQ(chart.bandHigh()->data()->size(), 36);
    const double exact = single().inputs()->projection()->monthlySnapshots.back().active;
    const double top = topOfBand();
    EXPECT_GT(top, exact);
    EXPECT_LT((chart.bandLow()->data()->constEnd() - 1)->value, exact);
    const QStringList ranges = single().table()->spreadTexts();
    ASSERT_EQ(ranges.size(), 4);
    const Percentiles subscribers = *single().spread()->spread()->figure(SpreadFigure::Subscribers);
    const NumberFormatter whole(NumberFormatter::Style::Decimal, 0);
    EXPECT_EQ(ranges[0],
              "P10 " + whole.format(subscribers.p10) + " – P90 " + whole.format(subscribers.p90));
    EXPECT_TRUE(ranges[1].startsWith("P10 $")) << ranges[1].toStdString();

    // Subscribers are linear in the daily trials: the band doubles with them.
    type(single().form()->field(Field::DailyNewSubs), "200");
    scenarios.elapse();
    drain();
    EXPECT_NEAR(topOfBand(), 2 * top, 1e-9 * top);

    press(Qt::Key_Z);
    press(Qt::Key_Z);
    EXPECT_TRUE(single().inputs()->ranges().empty());
    scenarios.elapse();
    drain();
    EXPECT_FALSE(chart.bandHigh()->visible());
    EXPECT_TRUE(single().table()->spreadTexts().isEmpty());
}

// A refused end never jams the dialog: its mark goes with the next end taken,
// and OK says which end is left rather than nothing.
TEST_F(Ranges, ARefusedEndIsMarkedUntilAnotherIsTakenAndOkSaysWhy) {
    single().form()->rangesButton()->click();
    auto* dialog = single().form()->findChild<RangesDialog*>();
    ASSERT_NE(dialog, nullptr);
    QApplication::setActiveWindow(dialog);
    NumberField* low = dialog->lowField(Input::DailyNewSubs);
    NumberField* high = dialog->highField(Input::DailyNewSubs);
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    type(low, "200");
    type(high, "50");  // leaving the low end puts its value back, still marked
    EXPECT_EQ(low->text(), "100");
    EXPECT_FALSE(low->isMarkedUnreadable()) << "only the end the message speaks of";
    EXPECT_TRUE(high->isMarkedUnreadable());
    type(dialog->highField(Input::Price), "2.49");
    EXPECT_FALSE(high->isMarkedUnreadable());
    EXPECT_TRUE(dialog->message()->text().isEmpty());

    // Refused as OK takes the focus: the dialog stays, names the end, and
    // Return in it keeps the value shown.
    type(low, "200");
    ok->setFocus();
    ok->click();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), low);
    EXPECT_TRUE(
        dialog->message()->text().contains("cannot lie above the value, 100. Kept 100. "
                                           "Return keeps 100"))
        << dialog->message()->text().toStdString();
    QTest::keyClick(low, Qt::Key_Return);
    EXPECT_FALSE(low->isMarkedUnreadable());
    ok->click();
    drain();
    EXPECT_EQ(single().inputs()->ranges(), std::vector<Range>({{Input::Price, 1.99, 2.49}}));
}

TEST_F(Ranges, TheComparisonBandsOnlyScenariosWithRangesAndHidesThemOnRequest) {
    ComparisonChart& chart = *dual().chart();
    EXPECT_TRUE(dual().showRanges()->isHidden());
    ScenarioDocument document;
    document.comparisonRanges[1] = {{Input::Price, 1.5, 2.5}};
    window->session()->load(document, {});
    scenarios.elapse();
    drain();
    EXPECT_FALSE(dual().showRanges()->isHidden());
    ASSERT_EQ(chart.bandCount(), 3);
    EXPECT_TRUE(chart.band(0)->data()->isEmpty());
    EXPECT_EQ(chart.band(1)->data()->size(), 2 * 36);
    EXPECT_TRUE(chart.band(1)->visible());
    // Only the scenario with ranges writes them under its summary figures.
    EXPECT_TRUE(dual().column(0)->table()->spreadTexts().isEmpty());
    const QStringList written = dual().column(1)->table()->spreadTexts();
    ASSERT_EQ(written.size(), 4);
    EXPECT_TRUE(written[1].startsWith("P10 $"));
    // Under the narrow columns of a 1024-pixel screen, whole.
    window->resize(1024, 704);
    window->content()->setCurrentWidget(&dual());
    drain();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    for (const ElidedLabel* line : dual().column(1)->table()->findChildren<ElidedLabel*>()) {
        EXPECT_TRUE(line->isHidden() || !line->isElided()) << line->fullText().toStdString();
    }
    const double top = chart.yAxis->range().upper;

    dual().showRanges()->click();
    EXPECT_FALSE(chart.band(1)->visible());
    EXPECT_LT(chart.yAxis->range().upper, top);
}

// The costs write the spread of the break-even and the cash needed, and follow the cost.
TEST_F(Ranges, TheCostsWriteTheRangeOfTheTurnOnceATrialHasACost) {
    EconomicsPanel& costs = *window->content()->insights()->economics();
    ScenarioDocument document;
    document.basicRanges = {{Input::Rt1, 0.5, 0.8}};
    window->session()->load(document, {});
    scenarios.elapse();
    drain();
    EXPECT_TRUE(costs.rangeLines().isEmpty());  // no cost, no turn

    type(costs.costField(), "2");
    drain();
    const QStringList cheap = costs.rangeLines();
    ASSERT_EQ(cheap.size(), 2);
    EXPECT_TRUE(cheap[0].startsWith("P10 M")) << cheap[0].toStdString();
    EXPECT_TRUE(cheap[1].startsWith("P10 $")) << cheap[1].toStdString();
    // The first renewal's range spreads the cash needed: the low end first.
    const QStringList ends = cheap[1].mid(5).remove(',').split(QStringLiteral(" – P90 $"));
    ASSERT_EQ(ends.size(), 2) << cheap[1].toStdString();
    EXPECT_LT(ends[0].toDouble(), ends[1].toDouble()) << cheap[1].toStdString();

    // So dear a trial that no draw breaks even within the 36 months.
    type(costs.costField(), "500");
    drain();
    const QStringList dear = costs.rangeLines();
    ASSERT_EQ(dear.size(), 2);
    EXPECT_EQ(dear[0], "P10 beyond M35 – P90 beyond M35");
    EXPECT_NE(dear[1], cheap[1]);
}

}  // namespace
}  // namespace velmora
