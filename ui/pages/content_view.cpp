#include "ui/pages/content_view.h"

#include "ui/pages/dual_analysis.h"
#include "ui/pages/single_analysis.h"

namespace velmora {

ContentView::ContentView(QWidget* parent, const ScenarioFactory& makeScenario)
    : QTabWidget(parent),
      single_(new SingleAnalysis(this, makeScenario)),
      dual_(new DualAnalysis(this, makeScenario)) {
    addTab(single_, tr("Basic Analysis"));
    addTab(dual_, tr("Comparative Analysis"));
    setCurrentIndex(0);
    setAccessibleName(tr("Analyses"));
}

}  // namespace velmora
