#pragma once

#include <memory>

#include <QString>

#include "engine/calibration/cohort_table.h"

namespace velmora {

/// A cohort table as the Calibration page holds it: never changed once made,
/// so the fits running off the window's thread can read it while the page
/// moves on to another.
struct ImportedTable {
    CohortTable table;
    QString source;    ///< where it came from: a file's name, "the clipboard", "the document"
    bool kept = true;  ///< whether the document keeps it (`fitsInDocument`)
};

using SharedTable = std::shared_ptr<const ImportedTable>;

/// "1 cohort", "3 cohorts": `count` and `noun`, in the plural unless one.
[[nodiscard]] inline QString counted(std::size_t count, const char* noun) {
    return QStringLiteral("%1 %2%3")
        .arg(count)
        .arg(QLatin1String(noun))
        .arg(count == 1 ? QString() : QStringLiteral("s"));
}

}  // namespace velmora
