#include "ui/document/export_caption.h"

#include <QLabel>
#include <QStringList>

#include "inputs/subscription_inputs.h"
#include "ui/calibration/calibration_page.h"
#include "ui/calibration/calibration_summary.h"
#include "ui/charts/chart_style.h"
#include "ui/document/shown_page.h"
#include "ui/insights/insight_texts.h"
#include "ui/insights/insights_page.h"
#include "ui/insights/sensitivity_panel.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

QString scenarioValuesLine(const ScenarioValues& v) {
    const NumberFormatter form = formFormatter();
    const auto figure = [&form](double value) { return formText(form, value); };
    QStringList rates;
    for (const double rate : {v.rt1, v.rt2, v.rt3, v.rt4, v.rt5, v.rt6}) {
        rates << figure(rate);
    }
    rates << QStringLiteral("rest %1").arg(figure(v.rtPlus));
    const QString price = formText(NumberFormatter(NumberFormatter::Style::Currency, 2), v.price);
    return QStringLiteral(
               "Price %1 · Daily Trials %2 · Trial Retention %3 · Retention %4 · Starting "
               "Subscribers %5 · %6 months of %7 days")
        .arg(price, figure(v.dailyNewSubs), figure(v.trialRetention),
             rates.join(QStringLiteral(", ")), figure(v.startingSubs), figure(v.monthsToProject),
             NumberFormatter(NumberFormatter::Style::Decimal, 0)
                 .format(static_cast<double>(v.monthDuration)));
}

ChartCaption chartCaption(const ContentView& content, const QString& documentName) {
    const ShownPage page = shownPage(content);
    const int tab = content.indexOf(content.currentWidget());
    ChartCaption caption;
    caption.title =
        QStringLiteral("%1 — %2").arg(documentName, content.tabText(tab).remove(QLatin1Char('&')));
    if (page == ShownPage::Calibration) {
        const CalibrationPage& calibration = *content.calibration();
        caption.lines.push_back({calibration.table() ? calibration.sourceLine()->text()
                                                     : QStringLiteral("No cohort table imported"),
                                 {}});
        if (calibration.fitted()) {
            for (const QString& line :
                 calibration.summary()->errors()->text().split(QLatin1Char('\n'))) {
                caption.lines.push_back({line, {}});
            }
        }
        return caption;
    }
    if (page == ShownPage::Comparison) {
        for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
            caption.lines.push_back(
                {QStringLiteral("%1: %2").arg(
                     seriesName(i),
                     scenarioValuesLine(content.dual()->scenario(i)->scenarioValues())),
                 seriesColour(i)});
        }
    } else {
        caption.lines.push_back(
            {scenarioValuesLine(content.single()->inputs()->scenarioValues()), {}});
    }
    if (page == ShownPage::Insights) {
        caption.lines.push_back(
            {QStringLiteral("Change of %1 with each input at 90% and at 110%")
                 .arg(metricTitle(content.insights()->sensitivity()->metric()).toLower()),
             {}});
    }
    return caption;
}

}  // namespace velmora
