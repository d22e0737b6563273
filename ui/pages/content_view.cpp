#include "ui/pages/content_view.h"

#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

ContentView::ContentView(QWidget* parent, const ScenarioFactory& makeScenario,
                         const ScenarioDocument& document, ScenarioEditor* editor)
    : QTabWidget(parent),
      single_(new SingleAnalysis(this, makeScenario, document.basic, document.chartType, editor)),
      dual_(new DualAnalysis(this, makeScenario, document.comparison, editor)) {
    addTab(single_, tr("Basic Analysis"));
    addTab(dual_, tr("Comparative Analysis"));
    setCurrentIndex(0);
    setAccessibleName(tr("Analyses"));
}

}  // namespace velmora
