// velmora-screenshots: renders the application's pages to PNG files, offscreen,
// in US English unless told otherwise, for the documentation and for looking
// at a change.
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <qcustomplot.h>

#include "engine/calibration/calibration_ranges.h"
#include "inputs/subscription_inputs.h"
#include "ui/calibration/calibration_page.h"
#include "ui/common/scenario_spread.h"
#include "ui/document/export_file.h"
#include "ui/form/plan_dialog.h"
#include "ui/insights/insights_page.h"
#include "ui/insights/sensitivity_panel.h"
#include "ui/insights/tornado_chart.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"
#include "ui/window/first_paint.h"
#include "ui/window/main_window.h"

namespace velmora {
namespace {

struct Options {
    QString outputDirectory = QStringLiteral("docs");
    QSize size{1400, 860};
    QLocale locale{QLocale::English, QLocale::UnitedStates};
    bool firstPaintOnly = false;
    bool extremes = false;
};

constexpr const char* usage =
    "usage: velmora-screenshots [--out DIR] [--size WIDTHxHEIGHT] [--locale NAME] [--extremes]\n"
    "                           [--first-paint]\n"
    "Renders the pages of a Velmora window to DIR (default: docs):\n"
    "  basic.png             the default scenario with the simple chart\n"
    "  basic-ranges.png      the same with ranges on the price and the renewals: the band\n"
    "  basic-cohorts.png     the same with the cohort chart\n"
    "  basic-600-months.png  600 months with 5,000 starting subscribers\n"
    "  basic-600-months-cohorts.png  the same with the cohort chart\n"
    "  planned-charts.png    36 months under a plan: growth, seasons from January 2027 and\n"
    "                        changes of the price and the trial retention, marked\n"
    "  comparison.png        the comparison page with three different scenarios\n"
    "  comparison-ranges.png the same with ranges on the alternates: their bands\n"
    "  insights.png          the decision tools about the default scenario\n"
    "  insights-costs.png    the same with a trial costing $2: its costs and cash curve\n"
    "  insights-ranges.png   the same with ranges on the conversion and the renewals\n"
    "  calibration.png       the default scenario calibrated from two years of cohorts\n"
    "  plan-editor.png       the editor of a plan: growth, seasons and three changes\n"
    "--size is the window's size (default 1400x860); it cannot be smaller than the\n"
    "window's smallest layout, about 820x400.\n"
    "--locale writes figures as in NAME (default en_US), e.g. de_DE.\n"
    "--extremes also renders figures far beyond the usual, for looking at a change:\n"
    "  extreme-wide.png        10,000,000 daily trials at 9.99\n"
    "  extreme-huge.png        1e300 daily trials\n"
    "  extreme-infinite.png    figures that are all infinite\n"
    "  extreme-costs.png       a trial costing $20 that never pays back, over 600 months\n"
    "  extreme-costs-huge.png  trials costing 1e300, 1e300 a day\n"
    "  extreme-comparison.png  the comparison of 1e300, 1e308 and 10,000,000 daily trials\n"
    "--first-paint prints the milliseconds from the start of the process to the\n"
    "first painted window, and renders nothing.\n";

/// Reads the flags; on a bad one, says which and why.
bool parse(const QStringList& arguments, Options& options, QString& error) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& flag = arguments[i];
        if (flag == "--first-paint") {
            options.firstPaintOnly = true;
            continue;
        }
        if (flag == "--extremes") {
            options.extremes = true;
            continue;
        }
        if (flag != "--out" && flag != "--size" && flag != "--locale") {
            error = QStringLiteral("unknown flag %1").arg(flag);
            return false;
        }
        if (i + 1 == arguments.size()) {
            error = QStringLiteral("%1 needs a value").arg(flag);
            return false;
        }
        const QString value = arguments[++i];
        if (flag == "--out") {
            options.outputDirectory = value;
            continue;
        }
        if (flag == "--locale") {
            options.locale = QLocale(value);
            if (options.locale.language() == QLocale::C) {
                error = QStringLiteral("--locale: \"%1\" is not a locale").arg(value);
                return false;
            }
            continue;
        }
        const QStringList parts = value.split('x');
        bool wide = false;
        bool high = false;
        const int width = parts.size() == 2 ? parts[0].toInt(&wide) : 0;
        const int height = parts.size() == 2 ? parts[1].toInt(&high) : 0;
        if (!wide || !high || width < 320 || height < 240 || width > 8000 || height > 8000) {
            error = QStringLiteral(
                        "--size: \"%1\" is not WIDTHxHEIGHT between 320x240 and "
                        "8000x8000")
                        .arg(value);
            return false;
        }
        options.size = {width, height};
    }
    return true;
}

/// Runs the event loop until every scenario has rebuilt its projection and
/// every view has caught up with it.
void settle(const ContentView& content) {
    const auto pending = [&] {
        const DualAnalysis& dual = *content.dual();
        bool any = content.single()->inputs()->isRecalculationPending() ||
                   content.single()->spread()->isSimulating() || content.insights()->isBusy() ||
                   content.calibration()->isBusy();
        for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
            any =
                any || dual.scenario(i)->isRecalculationPending() || dual.spread(i)->isSimulating();
        }
        return any;
    };
    // A rebuild can start a simulation a few turns later: settled is when
    // nothing is pending after those turns.
    for (;;) {
        for (int pass = 0; pass < 4; ++pass) {
            QCoreApplication::processEvents();
        }
        if (!pending()) {
            // The last rebuild may have posted layouts: lay out before the
            // picture, or a grown figure is drawn clipped to its old width.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            if (!pending()) {
                return;
            }
            continue;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

bool savePicture(const QPixmap& picture, const QDir& directory, const QString& name) {
    const QString path = directory.filePath(name);
    const auto problem = writeExport(path, [&picture](QIODevice& file) {
        return picture.save(&file, "PNG") ? QString() : QStringLiteral("cannot encode");
    });
    if (problem) {
        std::fprintf(stderr, "velmora-screenshots: %s\n", qPrintable(*problem));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool save(MainWindow& window, const QDir& directory, const QString& name) {
    settle(*window.content());
    // A chart redraws on a later turn than the view that fed it: a picture
    // taken in between would show the view new and the chart old.
    for (QCustomPlot* chart : window.findChildren<QCustomPlot*>()) {
        chart->replot();
    }
    return savePicture(window.grab(), directory, name);
}

// Two years of monthly cohorts whose churn falls with age faster than the
// shifted-beta-geometric model lets it (a beta-discrete-Weibull with c = 0.8),
// each count a little off its expectation, as real counts are.
QByteArray sampleCohorts() {
    SplitMix64 random(2023);
    const auto survival = [](double t) {
        const double x = std::pow(t, 0.8);
        return std::exp(std::lgamma(1.3 + x) - std::lgamma(2.0 + x) - std::lgamma(1.3) +
                        std::lgamma(2.0));
    };
    constexpr int months = 24;
    QByteArray text = "cohort,trials,days";
    for (int k = 0; k < months; ++k) {
        text += "," + QByteArray::number(k);
    }
    text += '\n';
    for (int i = 0; i < months; ++i) {
        const int days = QDate(2023 + i / 12, i % 12 + 1, 1).daysInMonth();
        const auto trials = static_cast<double>(days * (150 + static_cast<int>(random.below(110))));
        text += QStringLiteral("%1-%2,")
                    .arg(2023 + i / 12)
                    .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
                    .toUtf8();
        text += QByteArray::number(trials) + "," + QByteArray::number(days);
        const double first =
            std::round(trials * (0.56 + 0.0004 * static_cast<double>(random.below(100))));
        double count = first;
        for (int k = 0; k < months - i; ++k) {
            const double nudge = 1 + 0.0002 * (static_cast<double>(random.below(101)) - 50);
            count = k == 0 ? first : std::min(count, std::round(first * survival(k) * nudge));
            text += "," + QByteArray::number(count);
        }
        text += '\n';
    }
    return text;
}

// Growth of 5% a month for a year, seasons from January 2027, and three changes.
bool renderPlanEditor(MainWindow& window, const QDir& directory) {
    ScenarioValues values = window.content()->single()->inputs()->scenarioValues();
    Plan plan{5, 12, CalendarMonth{2027, 1}};
    plan.seasonality =
        std::array<double, 12>{0.85, 0.9, 1, 1, 1.05, 1.1, 1.15, 1.1, 1, 0.95, 1.05, 1.3};
    plan.changes = {{PlanInput::Price, 6, 2.99},
                    {PlanInput::TrialRetention, 3, 0.55},
                    {PlanInput::CostPerTrial, 9, 1.2}};
    values.plan = plan;
    PlanDialog dialog(values, &window);
    dialog.show();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return savePicture(dialog.grab(), directory, "plan-editor.png");
}

// Trials growing 5% a month for a year, with the seasons of a consumer app
// from January 2027; a trial retention that falls at M3, and a dearer price from M6.
Plan samplePlan() {
    return Plan{.growthPercent = 5,
                .growthUntil = 12,
                .startMonth = CalendarMonth{2027, 1},
                .seasonality = std::array<double, 12>{1.3, 1.1, 1.0, 0.9, 0.9, 0.8, 0.8, 0.9, 1.0,
                                                      1.0, 1.2, 1.5},
                .changes = {{PlanInput::TrialRetention, 3, 0.55}, {PlanInput::Price, 6, 2.99}}};
}

bool renderExtremes(MainWindow& window, const QDir& directory) {
    ContentView& content = *window.content();
    SingleAnalysis& single = *content.single();
    content.setCurrentWidget(&single);
    single.setShowCohorts(SingleAnalysis::simpleChart);
    single.inputs()->setMonthsToProject(36);
    single.inputs()->setStartingSubs(0);
    single.inputs()->setDailyNewSubs(10'000'000);
    single.inputs()->setPrice(9.99);
    bool ok = save(window, directory, "extreme-wide.png");
    single.inputs()->setDailyNewSubs(1e300);
    ok = ok && save(window, directory, "extreme-huge.png");
    single.inputs()->setTrialRetention(1e308);
    single.inputs()->setDailyNewSubs(1e308);
    ok = ok && save(window, directory, "extreme-infinite.png");

    // A trial costing more than its whole lifetime brings, over 600 months;
    // then costs and trials beyond any budget.
    single.inputs()->setDailyNewSubs(100);
    single.inputs()->setTrialRetention(0.59);
    single.inputs()->setPrice(1.99);
    single.inputs()->setMonthsToProject(600);
    single.inputs()->setStartingSubs(5000);
    single.inputs()->setCostPerTrial(20);
    content.setCurrentWidget(content.insights());
    ok = ok && save(window, directory, "extreme-costs.png");
    single.inputs()->setCostPerTrial(1e300);
    single.inputs()->setDailyNewSubs(1e300);
    ok = ok && save(window, directory, "extreme-costs-huge.png");

    DualAnalysis& dual = *content.dual();
    content.setCurrentWidget(&dual);
    dual.baseline()->setDailyNewSubs(1e300);
    dual.input1()->setDailyNewSubs(1e308);
    dual.input2()->setDailyNewSubs(10'000'000);
    return ok && save(window, directory, "extreme-comparison.png");
}

int render(const Options& options) {
    MainWindow window;
    // The window cannot be made smaller than its layout; a picture of another
    // size than asked for would mislead.
    const QSize smallest = window.minimumSizeHint();
    if (options.size.width() < smallest.width() || options.size.height() < smallest.height()) {
        std::fprintf(stderr,
                     "velmora-screenshots: --size: %dx%d is smaller than the window's smallest "
                     "layout, %dx%d\n",
                     options.size.width(), options.size.height(), smallest.width(),
                     smallest.height());
        return 2;
    }
    QDir directory;
    if (!directory.mkpath(options.outputDirectory)) {
        std::fprintf(stderr, "velmora-screenshots: cannot create %s\n",
                     qPrintable(options.outputDirectory));
        return 1;
    }
    directory.setPath(options.outputDirectory);

    window.resize(options.size);
    window.show();
    ContentView& content = *window.content();
    SingleAnalysis& single = *content.single();
    bool ok = save(window, directory, "basic.png");

    single.inputs()->setRanges(
        {{Input::Price, 1.49, 2.49}, {Input::Rt1, 0.55, 0.75}, {Input::RtPlus, 0.92, 0.97}});
    ok = ok && save(window, directory, "basic-ranges.png");
    single.inputs()->setRanges({});

    single.setShowCohorts(SingleAnalysis::cohortChart);
    ok = ok && save(window, directory, "basic-cohorts.png");

    single.setShowCohorts(SingleAnalysis::simpleChart);
    single.inputs()->setMonthsToProject(600);
    single.inputs()->setStartingSubs(5000);
    ok = ok && save(window, directory, "basic-600-months.png");
    single.setShowCohorts(SingleAnalysis::cohortChart);
    ok = ok && save(window, directory, "basic-600-months-cohorts.png");

    single.setShowCohorts(SingleAnalysis::simpleChart);
    single.inputs()->setMonthsToProject(36);
    single.inputs()->setStartingSubs(0);
    single.inputs()->setPlan(samplePlan());
    ok = ok && save(window, directory, "planned-charts.png");
    single.inputs()->setPlan(std::nullopt);

    content.setCurrentWidget(content.dual());
    DualAnalysis& dual = *content.dual();
    dual.baseline()->setMonthsToProject(48);
    dual.input1()->setMonthsToProject(48);
    dual.input1()->setPrice(2.99);
    dual.input2()->setMonthsToProject(48);
    dual.input2()->setTrialRetention(0.7);
    dual.input2()->setRtPlus(0.97);
    for (SubscriptionInputs* scenario : {dual.baseline(), dual.input1(), dual.input2()}) {
        scenario->setCostPerTrial(2);
    }
    ok = ok && save(window, directory, "comparison.png");
    dual.input1()->setRanges({{Input::Price, 2.49, 3.49}, {Input::Rt1, 0.55, 0.75}});
    dual.input2()->setRanges({{Input::TrialRetention, 0.6, 0.75}, {Input::RtPlus, 0.95, 0.98}});
    // The ranges written under the figures push the chart down: a taller
    // window shows it whole rather than scrolled off.
    const QSize size = window.size();
    window.resize(size.width(), size.height() + 160);
    ok = ok && save(window, directory, "comparison-ranges.png");
    window.resize(size);
    dual.input1()->setRanges({});
    dual.input2()->setRanges({});

    // The default question (monthly proceeds of $50,000 by changing the daily
    // trials) answered, and the keyboard on the chart's top row.
    single.inputs()->setMonthsToProject(36);
    single.inputs()->setStartingSubs(0);
    content.setCurrentWidget(content.insights());
    content.insights()->sensitivity()->chart()->setFocus();
    ok = ok && save(window, directory, "insights.png");
    // The same with a trial costing $2: the costs and the cash curve.
    single.inputs()->setCostPerTrial(2);
    ok = ok && save(window, directory, "insights-costs.png");
    single.inputs()->setRanges({{Input::TrialRetention, 0.5, 0.7}, {Input::Rt1, 0.55, 0.75}});
    ok = ok && save(window, directory, "insights-ranges.png");
    single.inputs()->setRanges({});

    content.setCurrentWidget(content.calibration());
    content.calibration()->importText(sampleCohorts(), QStringLiteral("cohorts.csv"));
    ok = ok && save(window, directory, "calibration.png");
    ok = ok && renderPlanEditor(window, directory);
    if (ok && options.extremes) {
        ok = renderExtremes(window, directory);
    }
    return ok ? 0 : 1;
}

int firstPaint(const Options& options) {
    MainWindow window;
    window.resize(options.size);
    FirstPaint probe(&window);
    window.show();
    while (!probe.painted()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::printf("%.1f ms from process start to the first painted window\n",
                millisecondsSinceProcessStart());
    return 0;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    // The pages as a first start lays them out, whatever this user chose (the
    // height of the comparison's chart).
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

    velmora::Options options;
    QString error;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.contains("--help") || arguments.contains("-h")) {
        std::fputs(velmora::usage, stdout);
        return 0;
    }
    if (!velmora::parse(arguments, options, error)) {
        std::fprintf(stderr, "velmora-screenshots: %s\n%s", qPrintable(error), velmora::usage);
        return 2;
    }
    // Before any window: views read the locale once, when they are made.
    QLocale::setDefault(options.locale);
    return options.firstPaintOnly ? velmora::firstPaint(options) : velmora::render(options);
}
