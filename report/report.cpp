#include "report/report.h"

namespace velmora::report {

QString pageTitle(ReportKind kind) {
    switch (kind) {
        case ReportKind::Comparison:
            return QStringLiteral("Comparative Analysis");
        case ReportKind::Insights:
            return QStringLiteral("Insights");
        case ReportKind::Calibration:
            return QStringLiteral("Calibration");
        case ReportKind::Basic:
            break;
    }
    return QStringLiteral("Basic Analysis");
}

}  // namespace velmora::report
