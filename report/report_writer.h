#pragma once

#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include "report/report.h"

class QIODevice;
class QPagedPaintDevice;

namespace velmora::report {

/// Letter where `locale`'s country prints on it (the United States, Canada,
/// Mexico, ...), A4 everywhere else.
[[nodiscard]] QPageSize::PageSizeId reportPageSize(const QLocale& locale);

/// The pages of a report in `locale`, exported or printed alike: paper of
/// `reportPageSize`, upright, margins of 15 mm.
[[nodiscard]] QPageLayout reportPageLayout(const QLocale& locale);

/// Lays the report out on the pages of `device` (a PDF writer or a printer,
/// whose page size and margins it keeps) and paints it: the document's name
/// and the date, the scenarios' values, the summary, the differences to the
/// baseline, the answers of Insights, the chart, and the whole monthly table
/// under headers repeated on every page. Figures are written in `locale`.
/// Returns the pages painted, or 0 when painting could not start.
int paintReport(const Report& report, QPagedPaintDevice& device, const QLocale& locale);

/// Writes the report as a PDF on pages of `reportPageSize`, text selectable
/// and fonts embedded. Returns why it failed, or an empty text.
[[nodiscard]] QString writeReportPdf(const Report& report, QIODevice& out, const QLocale& locale);

}  // namespace velmora::report
