#include "report/report_writer.h"

#include <array>
#include <unordered_map>

#include <QPdfWriter>

#include "engine/table/table_figures.h"
#include "report/page_layout.h"
#include "report/report_charts.h"
#include "report/report_sections.h"

namespace velmora::report {

namespace {

constexpr double chartHeight = 240;

// The cohort bars' colours, as the window draws them.
const std::array<QColor, 10> cohortPalette{
    QColor(0x4E, 0x79, 0xA7), QColor(0xF2, 0x8E, 0x2B), QColor(0xE1, 0x57, 0x59),
    QColor(0x76, 0xB7, 0xB2), QColor(0x59, 0xA1, 0x4F), QColor(0xED, 0xC9, 0x48),
    QColor(0xB0, 0x7A, 0xA1), QColor(0xFF, 0x9D, 0xA7), QColor(0x9C, 0x75, 0x5F),
    QColor(0xBA, 0xB0, 0xAC),
};

/// Each month's cohorts stacked, neighbouring records of one label and sign
/// as one piece; a label keeps the colour of its first appearance.
std::vector<StackedBar> cohortBars(const SubscriptionCalculation& projection) {
    std::vector<StackedBar> bars;
    std::unordered_map<std::int64_t, std::size_t> colours;
    std::vector<CohortCount> counts;
    for (const SubscriptionSnapshot& day : projection.snapshots) {
        if (day.cohorts.empty()) {
            continue;
        }
        counts.resize(day.cohorts.size());
        day.cohorts.readCounts(0, counts);
        StackedBar bar{static_cast<double>(counts.front().epoch), {}};
        std::int64_t label = 0;
        for (const CohortCount& record : counts) {
            const auto colour = colours.try_emplace(record.cohort.value(), colours.size()).first;
            const QColor& drawn = cohortPalette[colour->second % cohortPalette.size()];
            const bool joins = !bar.pieces.empty() && label == record.cohort.value() &&
                               (bar.pieces.back().first >= 0) == (record.count >= 0);
            if (joins) {
                bar.pieces.back().first += record.count;
            } else {
                bar.pieces.emplace_back(record.count, drawn);
            }
            label = record.cohort.value();
        }
        bars.push_back(std::move(bar));
    }
    return bars;
}

bool monthsOnly(const ReportScenario& scenario) {
    return scenario.projection != nullptr && !scenario.projection->hasDays();
}

/// A point a day: the figure of `value` at day ÷ the month's length; a point
/// a month, on its first day, for a projection of the months alone.
template <typename Figure>
std::vector<QPointF> dailyPoints(const ReportScenario& scenario, Figure value) {
    std::vector<QPointF> points;
    if (scenario.projection == nullptr) {
        return points;
    }
    if (monthsOnly(scenario)) {
        for (const SubscriptionSnapshot& month : scenario.projection->monthlySnapshots) {
            points.emplace_back(static_cast<double>(month.epoch),
                                value(month.active, static_cast<std::size_t>(month.epoch)));
        }
        return points;
    }
    const double days =
        static_cast<double>(std::max<std::int64_t>(1, scenario.values.monthDuration));
    points.reserve(scenario.projection->snapshots.size());
    for (const SubscriptionSnapshot& day : scenario.projection->snapshots) {
        const auto month = static_cast<std::size_t>(static_cast<double>(day.epoch) / days);
        points.emplace_back(static_cast<double>(day.epoch) / days, value(day.active, month));
    }
    return points;
}

}  // namespace

void addPageChart(PageLayout& layout, const Report& report, const Figures& figures) {
    MonthChart chart;
    if (report.kind == ReportKind::Comparison) {
        chart.title = QStringLiteral("Proceeds of the scenarios compared");
        chart.yTitle = QStringLiteral("Proceeds");
        chart.money = true;
        chart.legend = true;
        for (const ReportScenario& scenario : report.scenarios) {
            const double price = scenario.values.price;
            // Under a plan each month pays its own: what a subscriber brings in it.
            const std::vector<double> perSubscriber =
                plansProjection(scenario.values) && scenario.projection != nullptr
                    ? proceedsPerSubscriber(scenario.values, scenario.projection->monthlySnapshots,
                                            price)
                    : std::vector<double>{};
            chart.lines.push_back({scenario.name, scenario.colour,
                                   dailyPoints(scenario, [&](double active, std::size_t month) {
                                       return month < perSubscriber.size()
                                                  ? active * perSubscriber[month]
                                                  : monthlyProceeds(active, price);
                                   })});
        }
    } else if (report.cohorts && !monthsOnly(report.scenarios.front())) {
        chart.title = QStringLiteral("Subscribers by cohort, on the first day of each month");
        chart.yTitle = QStringLiteral("Subscribers");
        if (const auto& projection = report.scenarios.front().projection) {
            chart.bars = cohortBars(*projection);
        }
    } else {
        // Without the days, neither the cohorts nor the days between first days are known.
        chart.title = monthsOnly(report.scenarios.front())
                          ? QStringLiteral("Active subscribers, on the first day of each month")
                          : QStringLiteral("Active subscribers");
        chart.yTitle = QStringLiteral("Active");
        const ReportScenario& scenario = report.scenarios.front();
        chart.lines.push_back(
            {scenario.name, scenario.colour,
             dailyPoints(scenario, [](double active, std::size_t) { return active; })});
    }
    addChart(layout, std::move(chart), chartHeight, figures);
}

QPageSize::PageSizeId reportPageSize(const QLocale& locale) {
    switch (locale.territory()) {
        case QLocale::UnitedStates:
        case QLocale::Canada:
        case QLocale::Mexico:
        case QLocale::Philippines:
        case QLocale::Chile:
        case QLocale::Colombia:
        case QLocale::Venezuela:
        case QLocale::PuertoRico:
        case QLocale::Guatemala:
        case QLocale::CostaRica:
        case QLocale::Panama:
        case QLocale::DominicanRepublic:
            return QPageSize::Letter;
        default:
            return QPageSize::A4;
    }
}

QPageLayout reportPageLayout(const QLocale& locale) {
    return {QPageSize(reportPageSize(locale)), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
            QPageLayout::Millimeter};
}

int paintReport(const Report& report, QPagedPaintDevice& device, const QLocale& locale) {
    const Figures figures(locale);
    PageLayout layout(device, report.documentName + QStringLiteral(" — ") + pageTitle(report.kind),
                      locale.toString(report.date, QLocale::ShortFormat));
    addTitle(layout, report, figures);
    layout.addGap(10);
    if (report.kind == ReportKind::Calibration) {
        addCalibration(layout, report, figures);
        return layout.paint();
    }
    addValues(layout, report, figures);
    layout.addGap(12);
    addSummary(layout, report, figures);
    layout.addGap(12);
    if (report.kind == ReportKind::Insights) {
        addAnswers(layout, report.answers, figures);
        return layout.paint();
    }
    if (report.kind == ReportKind::Comparison) {
        addDifferences(layout, report, figures);
        layout.addGap(12);
    }
    addPageChart(layout, report, figures);
    layout.addGap(12);
    addMonths(layout, report, figures);
    return layout.paint();
}

QString writeReportPdf(const Report& report, QIODevice& out, const QLocale& locale) {
    QPdfWriter pdf(&out);
    pdf.setCreator(QStringLiteral("Velmora"));
    pdf.setTitle(report.documentName + QStringLiteral(" — ") + pageTitle(report.kind));
    pdf.setPageLayout(reportPageLayout(locale));
    return paintReport(report, pdf, locale) > 0 ? QString()
                                                : QStringLiteral("the report could not be drawn");
}

}  // namespace velmora::report
