#include <cmath>

#include "engine/calibration/calibration_csv.h"
#include "format/number_format.h"
#include "report/blocks.h"
#include "report/report_charts.h"
#include "report/report_sections.h"

namespace velmora::report {

namespace {

/// Rates to four decimals, which tell neighbouring fits apart; daily trials
/// to one, as the Calibration page writes them.
QString fittedFigure(double value, std::size_t row, const Figures& figures) {
    return NumberFormatter(NumberFormatter::Style::Decimal, row == 8 ? 1 : 4, figures.locale())
        .format(value);
}

QString errorPercent(const SurvivalError& error, const Figures& figures) {
    if (error.cells == 0 || !std::isfinite(error.error)) {
        return QStringLiteral("n/a");
    }
    return NumberFormatter(NumberFormatter::Style::Decimal, 2, figures.locale())
               .format(100 * error.error) +
           QStringLiteral("%");
}

QString errorLine(const QString& what, const CalibrationErrors& errors, LaterChoice choice,
                  const Figures& figures) {
    const std::size_t cells = errors.projection.cells;
    return QStringLiteral("%1: projection %2, model %3, over %4 %5")
        .arg(what, errorPercent(errors.of(choice), figures), errorPercent(errors.model, figures),
             figures.count(static_cast<double>(cells)),
             cells == 1 ? QStringLiteral("cell") : QStringLiteral("cells"));
}

/// The survival in percent at each renewal of `survival` from `first` on.
std::vector<QPointF> survivalPoints(const std::vector<double>& survival, std::size_t first = 0) {
    std::vector<QPointF> points;
    for (std::size_t k = first; k < survival.size(); ++k) {
        points.emplace_back(static_cast<double>(k), 100 * survival[k]);
    }
    return points;
}

void addFittedValues(PageLayout& layout, const CalibrationFigures& shown,
                     const ScenarioValues& today, const Figures& figures) {
    addHeading(layout, QStringLiteral("Fitted values"));
    const auto todays = fittedValueFields(today);
    std::array<FittedValue, 9> found{};
    if (shown.fitted) {
        found = fittedValues(*shown.fitted, shown.ranges ? &*shown.ranges : nullptr, today);
    }
    std::vector<std::vector<Cell>> rows;
    for (std::size_t row = 0; row < found.size(); ++row) {
        const FittedValue& value = found[row];
        QString fitted =
            value.value ? fittedFigure(*value.value, row, figures) : QStringLiteral("-");
        if (value.value && value.fromModel) {
            fitted += QStringLiteral(" (model)");
        }
        rows.push_back({{QString::fromLatin1(fittedValueNames[row])},
                        {fitted},
                        {value.range ? QStringLiteral("%1 – %2").arg(
                                           fittedFigure(value.range->low, row, figures),
                                           fittedFigure(value.range->high, row, figures))
                                     : QString()},
                        {fittedFigure(todays[row], row, figures)}});
    }
    addTable(layout,
             {{QStringLiteral("Value"), 1.6, false},
              {QStringLiteral("Fitted"), 1.6},
              {QStringLiteral("10th–90th percentile"), 2.4},
              {QStringLiteral("Today"), 1.4}},
             rows);
}

QStringList fitLines(const Calibration& fitted, const Figures& figures) {
    const LaterChoice chosen = fitted.recommended;
    QStringList lines{errorLine(QStringLiteral("Fit error"), fitted.fit, chosen, figures)};
    if (fitted.backtest) {
        lines << errorLine(
            QStringLiteral("Backtest, the last %1 held out")
                .arg(fitted.backtest->holdout == 1
                         ? QStringLiteral("renewal")
                         : QStringLiteral("%1 renewals").arg(fitted.backtest->holdout)),
            fitted.backtest->errors, chosen, figures);
        if (fitted.rates.later) {
            const CalibrationErrors& errors = fitted.backtest->errors;
            lines << QStringLiteral(
                         "Later rates: fitted curve, backtest %1%2; one constant rate, backtest "
                         "%3%4.")
                         .arg(errorPercent(errors.curve, figures),
                              chosen == LaterChoice::Curve ? QStringLiteral(" (recommended)")
                                                           : QString(),
                              errorPercent(errors.projection, figures),
                              chosen == LaterChoice::Constant ? QStringLiteral(" (recommended)")
                                                              : QString());
        }
    } else {
        lines << QStringLiteral(
            "No backtest: the table needs two renewals or more, and a holdout.");
    }
    lines << QStringLiteral(
                 "Model: shifted-beta-geometric, α %1, β %2; rtPlus follows it to "
                 "renewal %3.")
                 .arg(fittedFigure(fitted.model.alpha, 0, figures),
                      fittedFigure(fitted.model.beta, 0, figures))
                 .arg(fitted.horizon);
    return lines;
}

void addSurvivalChart(PageLayout& layout, const CalibrationFigures& shown, const Figures& figures) {
    MonthChart chart;
    chart.title = QStringLiteral("Survival of the cohorts");
    chart.yTitle = QStringLiteral("Still paying (%)");
    chart.xTitle = QStringLiteral("Renewal");
    chart.months = false;
    chart.legend = true;
    const Calibration& fitted = *shown.fitted;
    const std::size_t longest = shown.table ? shown.table->longestRow() : 0;
    const std::size_t last = std::max(longest, fitted.horizon);
    std::vector<double> pooled{1.0};
    for (const double rate : fitted.pooled) {
        pooled.push_back(std::isfinite(rate) ? pooled.back() * rate
                                             : std::numeric_limits<double>::quiet_NaN());
    }
    chart.lines.push_back(
        {QStringLiteral("Pooled"), QColor(0x1B, 0x1B, 0x1B), survivalPoints(pooled)});
    chart.lines.push_back({QStringLiteral("Projection, fitted curve"), QColor(0x4E, 0x79, 0xA7),
                           survivalPoints(survivalCurve(fitted.curve, last))});
    chart.lines.push_back({QStringLiteral("Projection, one constant rate"),
                           QColor(0x8E, 0x44, 0xAD),
                           survivalPoints(survivalCurve(fitted.rates, last))});
    chart.lines.push_back({QStringLiteral("sBG model"), QColor(0x59, 0xA1, 0x4F),
                           survivalPoints(survivalCurve(fitted.model, last))});
    if (const auto& backtest = fitted.backtest) {
        chart.lines.push_back({QStringLiteral("Backtest forecast"), QColor(0xF2, 0x8E, 0x2B),
                               survivalPoints(survivalCurve(fitted.recommended == LaterChoice::Curve
                                                                ? backtest->curve
                                                                : backtest->rates,
                                                            longest),
                                              backtest->fittedRenewals)});
    }
    addChart(layout, std::move(chart), 240, figures);
}

}  // namespace

void addCalibration(PageLayout& layout, const Report& report, const Figures& figures) {
    const CalibrationFigures& shown = report.calibration;
    addLines(layout, {shown.table ? shown.source : QStringLiteral("No cohort table imported.")});
    layout.addGap(8);
    addFittedValues(layout, shown, report.scenarios.front().values, figures);
    if (!shown.fitted) {
        return;
    }
    layout.addGap(8);
    addLines(layout, fitLines(*shown.fitted, figures));
    layout.addGap(12);
    addSurvivalChart(layout, shown, figures);
}

}  // namespace velmora::report
