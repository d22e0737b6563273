#include "ui/document/shown_page.h"

#include "ui/calibration/calibration_page.h"
#include "ui/insights/insights_page.h"
#include "ui/pages/content_view.h"
#include "ui/pages/dual_analysis.h"

namespace velmora {

namespace {

/// Whether the tab shown is `page` or a frame around it (a scroll area).
bool shows(const ContentView& content, const QWidget* page) {
    const QWidget* current = content.currentWidget();
    return current != nullptr && (current == page || current->isAncestorOf(page));
}

}  // namespace

ShownPage shownPage(const ContentView& content) {
    if (shows(content, content.dual())) {
        return ShownPage::Comparison;
    }
    if (shows(content, content.insights())) {
        return ShownPage::Insights;
    }
    if (shows(content, content.calibration())) {
        return ShownPage::Calibration;
    }
    return ShownPage::Basic;
}

}  // namespace velmora
