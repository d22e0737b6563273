#include <deque>
#include <sstream>

#include <QComboBox>
#include <QLabel>
#include <QPromise>
#include <QPushButton>

#include "engine/decisions/sensitivity.h"
#include "report/answers_csv.h"
#include "ui/document/edit_commands.h"
#include "ui/document/page_report.h"
#include "ui/form/inputs_view.h"
#include "ui/insights/cash_chart.h"
#include "ui/insights/economics_panel.h"
#include "ui/insights/figure_line.h"
#include "ui/insights/goal_panel.h"
#include "ui/insights/insights_page.h"
#include "ui/insights/sensitivity_panel.h"
#include "ui/insights/settle_panel.h"
#include "ui/insights/tornado_chart.h"
#include "ui/table/table_view.h"
#include "window_fixture.h"

namespace velmora {
namespace {

/// The Insights tab of a window whose tools' jobs run when the test says:
/// at once, or held until released.
class Insights : public DocumentWindow {
protected:
    struct Held {
        std::function<void()> job;
        QPromise<void> promise;
    };

    Insights() {
        page().setRunner([](std::function<void()> job) {
            job();
            return QtFuture::makeReadyFuture();
        });
        drain();
    }

    [[nodiscard]] InsightsPage& page() const { return *window->content()->insights(); }
    [[nodiscard]] GoalPanel& goal() const { return *page().goal(); }
    [[nodiscard]] TornadoChart& tornado() const { return *page().sensitivity()->chart(); }

    /// Holds every job from now on, in `held`.
    void holdJobs() {
        page().setRunner([this](std::function<void()> job) {
            Held& kept = held.emplace_back(Held{std::move(job), {}});
            kept.promise.start();
            return kept.promise.future();
        });
    }
    /// Runs a held job to its end and lets its answer come.
    static void release(Held& kept) {
        kept.job();
        kept.promise.finish();
        drain();
    }

    /// Makes `values` the scenario of Basic Analysis, rebuilt.
    void useScenario(const ScenarioValues& values) {
        ScenarioDocument document;
        document.basic = values;
        window->session()->load(document, {});
        scenarios.elapse();
    }
    /// Asks what `input` must be for `metric` to reach `target`, through the controls.
    void ask(Metric metric, const QString& target, Input input) {
        goal().metricPicker()->setCurrentIndex(static_cast<int>(metric));
        type(goal().targetField(), target);
        goal().inputPicker()->setCurrentIndex(static_cast<int>(input));
        drain();
    }

    std::deque<Held> held;
};

TEST_F(Insights, TheSettlePanelFollowsTheScenario) {
    struct Row {
        const char* name;
        ScenarioValues values;
        QStringList lines;
        const char* csv;  ///< how the exported answer starts, and after the figures
        const char* csvEnd;
    };
    const Row rows[] = {
        {"settles after the projection",
         {},
         {"18,407 subscribers when settled", "$31,135 monthly when settled",
          "None of the 36 months projected comes within 10% of it yet."},
         "true,18406.6",
         ",,"},
        {"comes within 10% within it",
         {.monthsToProject = 120},
         {"18,407 subscribers when settled", "$31,135 monthly when settled",
          "M43 the first month within 10% of that"},
         "true,18406.6",
         ",43,"},
        {"grows",
         {.rtPlus = 1},
         {"It does not settle. Subscribers past their sixth renewal keep "
          "a share of 1 or more at every later renewal, so the "
          "subscribers grow without bound."},
         "false,,,,\"Subscribers past their sixth renewal",
         "without bound.\""},
        {"cannot be computed",
         {.trialRetention = -0.1},
         {"Velmora cannot tell where it settles. The trial retention must be a number of 0 or "
          "more."},
         "false,,,,The trial retention must be",
         "0 or more."},
    };
    for (const Row& row : rows) {
        useScenario(row.values);
        window->content()->setCurrentWidget(&page());
        EXPECT_EQ(page().settle()->lines(), row.lines) << row.name;
        // Exported, the reason of a scenario that does not settle goes under its own heading.
        std::ostringstream csv;
        report::writeAnswersCsv(pageReport(*window->content(), "plan").answers, csv);
        const std::string written = csv.str();
        const std::string heading = "settles,subscribers,monthlyProceeds,month90,reason\n";
        const std::string line = written.substr(written.find(heading) + heading.size());
        EXPECT_TRUE(line.starts_with(row.csv) && line.ends_with(std::string(row.csvEnd) + '\n'))
            << row.name << ": " << line;
    }
    EXPECT_EQ(window->content()->tabText(2), "Insights");
    EXPECT_EQ(page().scenarioLine()->text(),
              "The scenario of Basic Analysis: $1.99 a month, 100 daily trials, 36 months "
              "projected.");
}

TEST_F(Insights, GoalSeekAnswersTheQuestionAsked) {
    struct Row {
        Metric metric;
        const char* target;
        Input input;
        const char* value;
        const char* status;
        bool canApply;
    };
    const Row rows[] = {
        {Metric::MonthlyProceeds, "50000", Input::DailyNewSubs, "188.977 Daily Trials",
         "Reaches the target: gives $50,000 monthly.", true},
        {Metric::LifetimeValue, "5", Input::Rt1, "0.401 Retention Rate 1",
         "Reaches the target: gives $5.00 24mo LTV per trial.", true},
        {Metric::Subscribers, "1,000,000", Input::TrialRetention, "1 Trial Retention (nearest)",
         "Out of reach: no Trial Retention from 0 to 1 reaches 1,000,000 subscribers. The "
         "nearest, 1, gives 26,512 subscribers.",
         false},
        {Metric::Subscribers, "20000", Input::Price, "1.99 Price",
         "Price does not change this figure, which stays at 15,642 subscribers.", false},
        {Metric::PaybackMonths, "2", Input::Price, "– Price",
         "Enter the cost of a trial under “Costs and cash”, or solve for Cost per Trial.", false},
        // 0.998 x 1.65 = 1.6467 is the most a trial may cost to pay back in 2.
        {Metric::PaybackMonths, "2", Input::CostPerTrial, "1.646 Cost per Trial",
         "Reaches the target: pays back in 2 months.", true},
        {Metric::Subscribers, "15642", Input::Rt2, "0.84 Retention Rate 2",
         "Already reached: the scenario gives 15,642 subscribers.", false},
    };
    for (const Row& row : rows) {
        ask(row.metric, row.target, row.input);
        EXPECT_EQ(goal().valueLine()->text(), row.value) << row.target;
        EXPECT_EQ(goal().status()->text(), row.status) << row.target;
        EXPECT_EQ(goal().applyButton()->isEnabled(), row.canApply) << row.target;
    }

    type(goal().targetField(), "lots");
    EXPECT_EQ(goal().message()->text(), "“lots” is not a number. Kept 15,642.");
    EXPECT_TRUE(goal().message()->isVisibleTo(&goal()));
    EXPECT_EQ(goal().goal().target, 15642) << "the last good value stays the question";
    EXPECT_EQ(goal().status()->text(), "Already reached: the scenario gives 15,642 subscribers.");
}

TEST_F(Insights, ApplyWritesTheExactValueAsOneUndoableStep) {
    window->content()->setCurrentWidget(&page());
    ask(Metric::MonthlyProceeds, "50000", Input::Price);
    EXPECT_EQ(goal().valueLine()->text(), "3.761 Price") << "shown in the form's format";
    ASSERT_TRUE(goal().applyButton()->isEnabled());

    goal().applyButton()->click();
    drain();
    EXPECT_EQ(single().inputs()->price(), 3.7606) << "the value found, not the text shown";
    EXPECT_EQ(history().count(), 1);
    EXPECT_EQ(history().undoText(), "Price");
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->content()->currentWidget(), &page()) << "the answer stays in view";
    EXPECT_FALSE(goal().applyButton()->isEnabled()) << "nothing to offer while it rebuilds";
    EXPECT_EQ(goal().status()->text(), "Solving…");

    scenarios.elapse();
    EXPECT_EQ(single().table()->summaryTexts().value(1), "$50,000");
    EXPECT_EQ(single().form()->field(Field::Price)->text(), "3.761");
    EXPECT_EQ(goal().status()->text(), "Already reached: the scenario gives $50,000 monthly.");

    press(Qt::Key_Z);
    EXPECT_TRUE(sameBits(single().inputs()->price(), 1.99));
    EXPECT_FALSE(window->isWindowModified());
    scenarios.elapse();
    EXPECT_EQ(single().table()->summaryTexts().value(1), "$26,458");
    EXPECT_EQ(goal().valueLine()->text(), "3.761 Price");
}

// The jobs run before the change and finish after it, as on a thread that
// was not quick enough: their answers must not be shown.
TEST_F(Insights, AnAnswerForAnOlderScenarioOrQuestionIsDropped) {
    holdJobs();
    ASSERT_EQ(held.size(), 2u) << "the goal and the chart asked anew";
    held[0].job();
    held[1].job();
    type(single().form()->field(Field::Price), "2.99");
    EXPECT_EQ(goal().status()->text(), "Solving…");
    scenarios.elapse();
    ASSERT_EQ(held.size(), 4u);

    release(held[3]);
    EXPECT_EQ(tornado().barLabel(0, false), "($3,975) at 90%") << "at the price of 2.99";
    held[0].promise.finish();
    held[1].promise.finish();
    drain();
    EXPECT_FALSE(goal().answer()) << "found for the price of 1.99";
    EXPECT_EQ(goal().status()->text(), "Solving…");
    ASSERT_TRUE(tornado().sensitivity());
    EXPECT_EQ(tornado().barLabel(0, false), "($3,975) at 90%") << "not at the price of 1.99";

    held[2].job();
    goal().inputPicker()->setCurrentIndex(static_cast<int>(Input::TrialRetention));
    ASSERT_EQ(held.size(), 5u);
    held[2].promise.finish();
    drain();
    EXPECT_FALSE(goal().answer()) << "the answer to the question before";
    release(held[4]);
    ASSERT_TRUE(goal().answer());
    EXPECT_EQ(goal().goal().input, Input::TrialRetention);
    EXPECT_EQ(goal().status()->text(), "Reaches the target: gives $50,000 monthly.");
    EXPECT_FALSE(page().isBusy());
}

TEST_F(Insights, TheTornadoDrawsTheEngineFiguresLargestFirst) {
    ASSERT_EQ(tornado().rowCount(), 12);
    const std::optional<Sensitivity> engine = sensitivity(ScenarioValues{});
    for (int row = 0; row < tornado().rowCount(); ++row) {
        const SensitivityBar& bar = engine->bars[static_cast<std::size_t>(row)];
        EXPECT_EQ(tornado().downBars()->data()->at(row)->value, bar.down) << row;
        EXPECT_EQ(tornado().upBars()->data()->at(row)->value, bar.up) << row;
    }
    // Shares move on their churn: Retention Rate Rest's 0.05 to 0.045 and 0.055.
    const std::pair<int, const char*> summaries[] = {
        {0, "Daily Trials: ($2,646) at 90%, +$2,646 at 110%"},
        {2, "Trial Retention: +$1,839 at 90% churn, ($1,839) at 110% churn"},
        {4, "Retention Rate Rest: +$929 at 90% churn, ($856) at 110% churn"},
        {11, "Cost per Trial: +$0 at 90%, +$0 at 110%"}};
    for (const auto& [row, text] : summaries) {
        EXPECT_EQ(tornado().rowSummary(row), text);
        EXPECT_TRUE(tornado().accessibleDescription().contains(text)) << text;
    }

    // Largest on top; each label at the end of its bar, beyond it.
    window->content()->setCurrentWidget(&page());
    tornado().replot(QCustomPlot::rpImmediateRefresh);
    const QRect plot = tornado().axisRect()->rect();
    const int rowMiddle = plot.height() * 6 / 122;  // 12 rows and a tenth above and below
    EXPECT_TRUE(tornado()
                    .toolTipAt(QPoint(plot.center().x(), plot.top() + rowMiddle))
                    .startsWith("Daily Trials\nAt 90 (90%): $23,812 monthly, ($2,646)"));
    EXPECT_TRUE(tornado()
                    .toolTipAt(QPoint(plot.center().x(), plot.bottom() - rowMiddle))
                    .startsWith("Cost per Trial\n"));
    for (const bool up : {false, true}) {  // Trial Retention's churn: up at 90%, down at 110%
        const auto bar = (up ? tornado().upBars() : tornado().downBars())->data()->at(2);
        int found = 0;
        for (int i = 0; i < tornado().itemCount(); ++i) {
            const auto* label = qobject_cast<QCPItemText*>(tornado().item(i));
            if (label != nullptr && label->text() == tornado().barLabel(2, up)) {
                ++found;
                EXPECT_EQ(label->position->coords(), QPointF(bar->value, bar->key));
                EXPECT_EQ(label->positionAlignment() & Qt::AlignHorizontal_Mask,
                          up ? Qt::AlignRight : Qt::AlignLeft);
            }
        }
        EXPECT_EQ(found, 1) << up;
    }

    // The keyboard steps through the rows and reads each one out.
    tornado().setFocus();
    press(Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(tornado().currentRow(), 1);
    press(Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(page().sensitivity()->details()->text(),
              "Trial Retention\nAt 0.631 (churn at 90%): $28,297 monthly, +$1,839\n"
              "At 0.549 (churn at 110%): $24,620 monthly, ($1,839)");
    press(Qt::Key_End, Qt::NoModifier);
    EXPECT_EQ(tornado().currentRow(), 11);

    page().sensitivity()->metricPicker()->setCurrentIndex(1);  // subscribers
    drain();
    EXPECT_EQ(tornado().rowSummary(3),
              "Retention Rate Rest: +549 at 90% churn, -506 at 110% churn");
    EXPECT_EQ(tornado().rowSummary(9), "Price: +0 at 90%, +0 at 110%");

    useScenario({.rtPlus = 1.05});  // the step that would take it further out is held
    for (int row = 0; row < tornado().rowCount(); ++row) {
        if (tornado().rowSummary(row).startsWith("Retention Rate Rest")) {
            EXPECT_TRUE(tornado().rowSummary(row).endsWith(", +0 at 1.05 (capped)"));
        }
    }
    useScenario({});
    type(single().form()->field(Field::Rt1), "0.5");
    scenarios.elapse();
    EXPECT_EQ(tornado().rowSummary(1),
              "Retention Rate 1: +1,067 at 90% churn, -1,067 at 110% churn");

    // Changes past what the chart library takes are drawn scaled, under labels that say them.
    useScenario({.dailyNewSubs = 1e300});
    tornado().replot(QCustomPlot::rpImmediateRefresh);
    tornado().replot(QCustomPlot::rpImmediateRefresh);
    const QCPRange shown = tornado().xAxis->range();
    const double longest = tornado().upBars()->data()->at(0)->value;
    EXPECT_TRUE(longest > 0 && shown.upper > longest && shown.upper < 1e3) << shown.upper;
    const QString labels = tornado().xAxis->tickVectorLabels().toList().join(' ');
    EXPECT_TRUE(labels.contains("e+30")) << labels.toStdString();
}

// The defaults at $2 a trial: c = 1.99 x 0.85 x 0.59 = 0.998 a payment pays
// back in 3 (0.998 x 2.196 >= 2); 7.4886 / 2 = 3.7; 100 x 30 x 2 = $6,000 a
// month against proceeds of $100, $3,059, $4,995, ...: lowest -$9,847 at M2.
TEST_F(Insights, CostsAndCashFollowTheCostOfATrialAsOneUndoableEdit) {
    EconomicsPanel& costs = *page().economics();
    EXPECT_EQ(costs.lines(), QStringList{costs.prompt()->text()});
    EXPECT_TRUE(costs.chart()->isHidden());
    page().sensitivity()->metricPicker()->setCurrentIndex(4);  // cash needed
    drain();
    EXPECT_EQ(tornado().rowCount(), 0);
    EXPECT_TRUE(page().sensitivity()->details()->text().startsWith("Enter the cost of a trial"));
    const auto projection = single().inputs()->projection();

    type(costs.costField(), "2");
    EXPECT_EQ(single().inputs()->costPerTrial(), 2);
    EXPECT_EQ(history().undoText(), "Cost per Trial");
    EXPECT_FALSE(single().inputs()->isRecalculationPending()) << "no projection reads it";
    EXPECT_EQ(single().inputs()->projection(), projection);
    EXPECT_EQ(costs.lines(),
              QStringList({"Payback of a trial: pays back in 3 months",
                           "Lifetime value to cost: 3.7 ×", "Acquisition spend: $6,000 a month",
                           "Break-even: M6", "Cash needed: $9,847, lowest at M2"}));
    const CashChart& chart = *costs.chart();
    EXPECT_EQ(chart.line()->dataCount(), 36);
    EXPECT_EQ(chart.lowestMark()->data()->at(0)->key, 2);
    EXPECT_NEAR(chart.lowestMark()->data()->at(0)->value, -9846.86, 0.01);
    EXPECT_EQ(chart.breakEvenMark()->data()->at(0)->key, 6);
    EXPECT_EQ(chart.breakEvenMark()->name(), "Break-even M6");
    EXPECT_EQ(chart.lowestMark()->name(), "Cash needed $9,847 (M2)");
    // Lowest in M2 either way: 3 months of 100 x 30 x 0.2 = $1,800 less or more.
    EXPECT_EQ(tornado().rowSummary(0), "Cost per Trial: ($1,800) at 90%, +$1,800 at 110%");

    type(costs.costField(), "-1");
    EXPECT_EQ(costs.message()->text(), "“-1”: a cost cannot be negative. Kept 2.");
    EXPECT_EQ(single().inputs()->costPerTrial(), 2);
    // More than a whole lifetime brings: L = 1 + 0.65 + ... + 0.3462 x 0.95 / 0.05 = 10.399,
    // and 0.998 x 10.399 = $10.38.
    type(costs.costField(), "20");
    EXPECT_EQ(costs.lines().value(0),
              "Payback of a trial: never: its whole expected lifetime brings $9.62 less than it "
              "costs");
    EXPECT_EQ(costs.lines().value(3), "Break-even: not within the 36 months projected");
    EXPECT_EQ(chart.breakEvenMark()->dataCount(), 0);
    // So cheap a trial that the cumulative net never falls below zero: no lowest point.
    type(costs.costField(), "0.01");
    EXPECT_EQ(costs.lines().value(4), "Cash needed: $0: the cumulative net never falls below zero");
    EXPECT_EQ(chart.lowestMark()->dataCount(), 0);
    EXPECT_FALSE(chart.accessibleDescription().contains("Cash needed"));

    press(Qt::Key_Z);
    press(Qt::Key_Z);
    press(Qt::Key_Z);
    EXPECT_EQ(single().inputs()->costPerTrial(), 0);
    EXPECT_EQ(costs.lines(), QStringList{costs.prompt()->text()});
    EXPECT_FALSE(window->isWindowModified());
    useScenario({.costPerTrial = 2.5});  // a document opened in place
    EXPECT_EQ(costs.costField()->text(), "2.5");
}

TEST_F(Insights, EveryControlIsNamedAndReachedByKeyboard) {
    window->content()->setCurrentWidget(&page());
    const std::pair<Qt::Key, QWidget*> mnemonics[] = {
        {Qt::Key_T, goal().metricPicker()},
        {Qt::Key_V, goal().targetField()},
        {Qt::Key_B, goal().inputPicker()},
        {Qt::Key_C, page().economics()->costField()},
        {Qt::Key_M, page().sensitivity()->metricPicker()}};
    for (const auto& [key, control] : mnemonics) {
        QTest::keyClick(window, key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), control) << control->accessibleName().toStdString();
    }
    QWidget* next = goal().metricPicker();
    const std::initializer_list<QWidget*> order = {goal().targetField(),
                                                   goal().inputPicker(),
                                                   goal().applyButton(),
                                                   page().economics()->costField(),
                                                   page().economics()->chart(),
                                                   page().sensitivity()->metricPicker(),
                                                   &tornado()};
    for (QWidget* control : order) {
        next = next->nextInFocusChain();
        while ((next->focusPolicy() & Qt::TabFocus) == 0) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next, control);
        EXPECT_FALSE(control->accessibleName().isEmpty());
        EXPECT_FALSE(control->accessibleDescription().isEmpty());
    }
}

}  // namespace
}  // namespace velmora
