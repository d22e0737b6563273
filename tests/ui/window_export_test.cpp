#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTimer>

#include "support/files.h"
#include "support/pdf_reader.h"
#include "ui/calibration/calibration_page.h"
#include "ui/calibration/survival_chart.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"
#include "ui/document/export_caption.h"
#include "ui/document/export_chart.h"
#include "ui/document/export_commands.h"
#include "ui/insights/insights_page.h"
#include "ui/insights/sensitivity_panel.h"
#include "ui/insights/tornado_chart.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using WindowExport = DocumentWindow;

QImage comparable(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32);
}

TEST_F(WindowExport, ExportsPrintsAndCopiesThePageShownAndWarnsOfFailures) {
    const auto atOnce = [](std::function<void()> job) {
        job();
        return QtFuture::makeReadyFuture();
    };
    window->content()->insights()->setRunner(atOnce);
    CalibrationPage& calibration = *window->content()->calibration();
    calibration.setRunner(atOnce);
    calibration.importText("cohort,0,1,2,3\nA,1000,600,480,420\nB,800,500,410\n", "Clipboard");
    drain();
    ASSERT_TRUE(calibration.fitted());
    const struct {
        QCustomPlot* chart;
        const char* header;
        const char* name;
        const char* sheet;
    } pages[] = {
        {single().chart(), "month,active,", "Basic Analysis", "Basic Analysis"},
        {dual().chart(), "month,baselineActive,", "Comparative Analysis", "Alternate 2"},
        {window->content()->insights()->sensitivity()->chart(), "metric,base\nmonthlyProceeds,",
         "Insights", "Insights"},
        {calibration.chart(), "value,fitted,low,high,today\nrt1,0.6", "Calibration", "Cohorts"}};
    single().setChartType(ChartType::Cohorts);
    for (int tab : {0, 1, 2, 3}) {
        SCOPED_TRACE(tab);
        window->content()->setCurrentIndex(tab);
        drain();
        dialogs.exportPath = file("table.csv");
        window->exportTableAction()->trigger();
        EXPECT_TRUE(contents(file("table.csv")).startsWith(pages[tab].header));
        EXPECT_EQ(contents(file("table.csv")).contains("\n\ncohort,0,1,2,3\nA,1000,600,480,420\n"),
                  tab == 3)
            << "the imported table, on Calibration only";
        dialogs.exportPath = file("table.xlsx");
        window->exportTableAction()->trigger();
        EXPECT_TRUE(
            toolOutput("/usr/bin/python3", {"-c",
                                            "import openpyxl, sys; print(openpyxl.load_workbook("
                                            "sys.argv[1]).sheetnames)",
                                            file("table.xlsx")})
                .contains(pages[tab].sheet));
        dialogs.exportPath = file("report.pdf");
        window->exportReportAction()->trigger();
        EXPECT_TRUE(pdfText(file("report.pdf")).contains(QString("Untitled — ") + pages[tab].name));

        dialogs.exportPath = file("chart.png");
        window->exportChartAction()->trigger();
        const ChartCaption caption = chartCaption(*window->content(), "Untitled");
        EXPECT_EQ(caption.title, QString("Untitled — ") + pages[tab].name);
        // On Calibration the table's source, the errors, the backtest, the
        // later rates' choices and the model.
        EXPECT_EQ(caption.lines.size(), (std::array{1U, 3U, 2U, 5U}[tab]));
        EXPECT_EQ(comparable(QImage(file("chart.png"))),
                  comparable(captionedImage(*pages[tab].chart, caption, chartExportScale)));
        press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->image().size(), pages[tab].chart->size());
        EXPECT_EQ(QFileInfo(dialogs.exportSuggestions.back()).completeBaseName(),
                  QString("Untitled - ") + pages[tab].name);

        // Printed through the preview's printer, as the Print button does.
        QPrintPreviewDialog* preview = window->exportCommands()->printPreview();
        preview->printer()->setOutputFileName(file("printed.pdf"));
        emit preview->paintRequested(preview->printer());
        // Laid out as the exported report is, page for page.
        EXPECT_EQ(pdfText(file("printed.pdf"), {"-layout"}),
                  pdfText(file("report.pdf"), {"-layout"}));
        auto* shown = preview->findChild<QPrintPreviewWidget*>();
        shown->updatePreview();
        EXPECT_GT(shown->pageCount(), 0);
        preview->close();
    }
    const QString table = "CSV (*.csv);;Excel workbook (*.xlsx);;PDF report (*.pdf)";
    const QString chart = "PNG image (*.png);;PDF document (*.pdf);;SVG drawing (*.svg)";
    EXPECT_EQ(dialogs.exportFilters.mid(0, 3), QStringList({table, table, "PDF report (*.pdf)"}));
    EXPECT_EQ(dialogs.exportFilters[3], chart);
    EXPECT_EQ(window->printAction()->shortcut(), QKeySequence(QKeySequence::Print));
    EXPECT_TRUE(dialogs.warnings.isEmpty());

    const struct {
        QString path;
        QAction* action;
        const char* reason;
    } refused[] = {
        {file("gone/table.csv"), window->exportTableAction(), "cannot be written"},
        {file("table.png"), window->exportTableAction(),
         "ends in \".png\"; a table is exported as .csv, .xlsx or .pdf"},
        {file("chart.bmp"), window->exportChartAction(),
         "ends in \".bmp\"; a chart is exported as .png, .pdf or .svg"},
        {file("report.txt"), window->exportReportAction(), "a report is exported as .pdf"},
    };
    for (const auto& c : refused) {
        dialogs.exportPath = c.path;
        c.action->trigger();
        ASSERT_FALSE(dialogs.warnings.isEmpty());
        EXPECT_EQ(dialogs.warnings.back().left(c.path.size() + 2),
                  QDir::toNativeSeparators(c.path) + ": ");
        EXPECT_TRUE(dialogs.warnings.back().contains(c.reason))
            << dialogs.warnings.back().toStdString();
    }
    EXPECT_EQ(dialogs.warnings.size(), 4);
    EXPECT_FALSE(QFileInfo::exists(file("table.png")));

    // A saved document lends the export its name, dots and all, and its folder.
    dialogs.savePath = file("plan.v2.velmora");
    press(Qt::Key_S);
    dialogs.exportPath.clear();  // cancelled
    window->exportTableAction()->trigger();
    EXPECT_EQ(dialogs.exportSuggestions.back(), file("plan.v2 - Calibration.csv"));
}

TEST(ExportDialog, GivesANameWithoutExtensionThatOfTheChosenFormat) {
    QTemporaryDir folder;
    QTimer::singleShot(0, [&folder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* formats = dialog->findChild<QComboBox*>("fileTypeCombo");
        ASSERT_NE(formats, nullptr);
        QTest::keyClick(formats, Qt::Key_End);  // the last format, SVG
        dialog->selectFile(folder.filePath("chart"));
        static_cast<QDialog*>(dialog)->accept();
    });
    const QString chosen = QtDocumentDialogs().fileToExport(
        nullptr, "Export Chart", folder.filePath("a.png"), chartFileFilter());
    EXPECT_EQ(chosen.toStdString(), folder.filePath("chart.svg").toStdString());
}

}  // namespace
}  // namespace velmora
