#include "ui/document/export_table.h"

#include <array>
#include <memory>
#include <sstream>

#include <QCoreApplication>
#include <QIODevice>

#include "engine/table_csv.h"
#include "inputs/subscription_inputs.h"
#include "ui/document/export_file.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

namespace {

std::optional<QString> writeText(const QString& path, const std::string& text) {
    return writeExport(path, [&text](QIODevice& file) {
        file.write(text.data(), static_cast<qint64>(text.size()));
        return QString();
    });
}

}  // namespace

QString tableFileFilter() {
    return QCoreApplication::translate("Export", "CSV (*.csv)");
}

std::optional<QString> exportTable(const SingleAnalysis& page, const QString& path) {
    const SubscriptionInputs& scenario = *page.inputs();
    const std::shared_ptr<const SubscriptionCalculation> projection = scenario.projection();
    std::ostringstream csv;
    writeCsv(
        projection != nullptr ? projection->monthlySnapshots : std::vector<SubscriptionSnapshot>{},
        scenario.price(), scenario.monthDuration(), csv);
    return writeText(path, csv.str());
}

std::optional<QString> exportTable(const DualAnalysis& page, const QString& path) {
    std::array<std::shared_ptr<const SubscriptionCalculation>, DualAnalysis::scenarioCount>
        projections;
    std::array<ComparedMonths, DualAnalysis::scenarioCount> scenarios{};
    for (int i = 0; i < DualAnalysis::scenarioCount; ++i) {
        projections[i] = page.scenario(i)->projection();
        scenarios[i] = {projections[i] != nullptr ? &projections[i]->monthlySnapshots : nullptr,
                        page.scenario(i)->price()};
    }
    std::ostringstream csv;
    writeComparisonCsv(scenarios, csv);
    return writeText(path, csv.str());
}

std::optional<QString> exportTable(const ContentView& content, const QString& path) {
    if (content.currentWidget() == content.dual()) {
        return exportTable(*content.dual(), path);
    }
    return exportTable(*content.single(), path);
}

}  // namespace velmora
