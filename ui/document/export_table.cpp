#include "ui/document/export_table.h"

#include <array>
#include <memory>
#include <sstream>

#include <QCoreApplication>
#include <QFileInfo>
#include <QIODevice>

#include "engine/calibration/calibration_csv.h"
#include "engine/table/table_csv.h"
#include "engine/table/table_figures.h"
#include "format/number_format.h"
#include "inputs/subscription_inputs.h"
#include "report/answers_csv.h"
#include "report/workbook.h"
#include "ui/calibration/calibration_page.h"
#include "ui/document/export_file.h"
#include "ui/document/export_report.h"
#include "ui/document/page_report.h"
#include "ui/document/shown_page.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("Export", text);
}

std::optional<QString> writeText(const QString& path, const std::string& text) {
    return writeExport(path, [&text](QIODevice& file) {
        file.write(text.data(), static_cast<qint64>(text.size()));
        return QString();
    });
}

}  // namespace

QString tableFileFilter() {
    return QCoreApplication::translate("Export",
                                       "CSV (*.csv);;Excel workbook (*.xlsx);;PDF report (*.pdf)");
}

std::optional<QString> exportTable(const SingleAnalysis& page, const QString& path) {
    const SubscriptionInputs& scenario = *page.inputs();
    const std::shared_ptr<const SubscriptionCalculation> projection = scenario.projection();
    const std::vector<SubscriptionSnapshot> none;
    const std::vector<SubscriptionSnapshot>& months =
        projection != nullptr ? projection->monthlySnapshots : none;
    std::ostringstream csv;
    writeCsv(months, proceedsOf(scenario.scenarioValues(), months, scenario.price()),
             scenario.monthDuration(), csv);
    return writeText(path, csv.str());
}

std::optional<QString> exportTable(const DualAnalysis& page, const QString& path) {
    std::array<std::shared_ptr<const SubscriptionCalculation>, DualAnalysis::scenarioCount>
        projections;
    std::array<ComparedMonths, DualAnalysis::scenarioCount> scenarios{};
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        projections[i] = page.scenario(i)->projection();
        const SubscriptionInputs& scenario = *page.scenario(i);
        scenarios[i] = {projections[i] != nullptr ? &projections[i]->monthlySnapshots : nullptr,
                        scenario.price()};
        if (projections[i] != nullptr && plansProjection(scenario.scenarioValues())) {
            scenarios[i].proceeds = proceedsOf(scenario.scenarioValues(),
                                               projections[i]->monthlySnapshots, scenario.price());
        }
    }
    std::ostringstream csv;
    writeComparisonCsv(scenarios, csv);
    return writeText(path, csv.str());
}

std::optional<QString> exportTable(const CalibrationPage& page, const ScenarioValues& today,
                                   const QString& path) {
    const auto& fitted = page.fitted();
    const auto& ranges = page.ranges();
    std::ostringstream csv;
    writeCalibrationCsv(page.table() ? &page.table()->table : nullptr, fitted ? &*fitted : nullptr,
                        ranges ? &*ranges : nullptr, today, csv);
    return writeText(path, csv.str());
}

std::optional<QString> exportTable(const ContentView& content, const QString& documentName,
                                   const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx")) {
        const report::Report shown = pageReport(content, documentName);
        return writeExport(path, [&shown](QIODevice& file) {
            return report::writeWorkbook(shown, file, figureLocale());
        });
    }
    if (suffix == QLatin1String("pdf")) {
        return exportReport(content, documentName, path);
    }
    if (suffix != QLatin1String("csv")) {
        return wrongExtension(path, tr("a table is exported as .csv, .xlsx or .pdf"));
    }
    switch (shownPage(content)) {
        case ShownPage::Comparison:
            return exportTable(*content.dual(), path);
        case ShownPage::Insights: {
            std::ostringstream csv;
            report::writeAnswersCsv(pageReport(content, documentName).answers, csv);
            return writeText(path, csv.str());
        }
        case ShownPage::Calibration:
            return exportTable(*content.calibration(), content.single()->inputs()->scenarioValues(),
                               path);
        case ShownPage::Basic:
            break;
    }
    return exportTable(*content.single(), path);
}

}  // namespace velmora
