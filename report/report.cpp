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

QString cohortTableSummary(const CohortTable& table, const QString& source) {
    const auto counted = [](std::size_t count, const char* noun) {
        return QStringLiteral("%1 %2%3")
            .arg(count)
            .arg(QLatin1String(noun))
            .arg(count == 1 ? QString() : QStringLiteral("s"));
    };
    QString text = QStringLiteral("%1: %2, up to %3")
                       .arg(source, counted(table.cohorts.size(), "cohort"),
                            counted(table.longestRow(), "renewal"));
    if (table.hasTrials()) {
        text += table.hasDays() ? QStringLiteral(", with trials and days")
                                : QStringLiteral(", with trials");
    }
    return text;
}

}  // namespace velmora::report
