#include <QBuffer>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

#include "report/report_writer.h"
#include "report/workbook.h"
#include "support/projected.h"

namespace velmora::report {
namespace {

/// A 600-month scenario with 5,000 starting subscribers, as Basic Analysis
/// shows it (the line, or the cohort bars), or compared three times.
Report longReport(ReportKind kind, bool cohorts) {
    ScenarioValues values;
    values.monthsToProject = 600;
    values.startingSubs = 5000;
    Report report{"long.velmora", QDate(2026, 3, 14), kind, cohorts, {}, {}, {}};
    const int scenarios = kind == ReportKind::Comparison ? 3 : 1;
    for (int i = 0; i < scenarios; ++i) {
        report.scenarios.push_back(
            {QStringLiteral("Scenario %1").arg(i + 1), Qt::blue, values, project(values)});
    }
    return report;
}

// The whole PDF of a 600-month report, every month in its table.
void BM_ReportPdf600Months(benchmark::State& state) {
    const Report report = longReport(static_cast<ReportKind>(state.range(0)), state.range(1) != 0);
    const QLocale locale(QLocale::English, QLocale::UnitedStates);
    int pages = 0;
    for (auto _ : state) {
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        if (!writeReportPdf(report, pdf, locale).isEmpty()) {
            state.SkipWithError("the report was not written");
        }
        state.counters["bytes"] = static_cast<double>(pdf.size());
    }
    QBuffer counted;
    counted.open(QIODevice::WriteOnly);
    QPdfWriter writer(&counted);
    writer.setPageSize(QPageSize(reportPageSize(locale)));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pages = paintReport(report, writer, locale);
    state.counters["pages"] = pages;
}
BENCHMARK(BM_ReportPdf600Months)
    ->ArgNames({"kind", "cohorts"})
    ->Args({static_cast<int>(ReportKind::Basic), 0})
    ->Args({static_cast<int>(ReportKind::Basic), 1})
    ->Args({static_cast<int>(ReportKind::Comparison), 0})
    ->Unit(benchmark::kMillisecond);

void BM_Workbook600MonthsCompared(benchmark::State& state) {
    const Report report = longReport(ReportKind::Comparison, false);
    for (auto _ : state) {
        QBuffer book;
        book.open(QIODevice::WriteOnly);
        if (!writeWorkbook(report, book).isEmpty()) {
            state.SkipWithError("the workbook was not written");
        }
    }
}
BENCHMARK(BM_Workbook600MonthsCompared)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::report
