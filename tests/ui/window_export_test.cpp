#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QTimer>

#include "support/files.h"
#include "ui/charts/comparison_chart.h"
#include "ui/charts/projection_chart.h"
#include "ui/document/export_chart.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using WindowExport = DocumentWindow;

QImage comparable(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32);
}

TEST_F(WindowExport, ExportsAndCopiesThePageShownAndWarnsOfFailures) {
    const struct {
        QCustomPlot* chart;
        const char* header;
        const char* name;
    } pages[] = {{single().chart(), "month,active,", "Untitled - Basic Analysis"},
                 {dual().chart(), "month,baselineActive,", "Untitled - Comparative Analysis"}};
    single().setChartType(ChartType::Cohorts);
    for (int tab : {0, 1}) {
        SCOPED_TRACE(tab);
        window->content()->setCurrentIndex(tab);
        drain();
        dialogs.exportPath = file("table.csv");
        window->exportTableAction()->trigger();
        EXPECT_TRUE(contents(file("table.csv")).startsWith(pages[tab].header));
        dialogs.exportPath = file("chart.png");
        window->exportChartAction()->trigger();
        EXPECT_EQ(comparable(QImage(file("chart.png"))),
                  comparable(chartImage(*pages[tab].chart, chartExportScale)));
        press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->image().size(), pages[tab].chart->size());
        EXPECT_EQ(QFileInfo(dialogs.exportSuggestions.back()).completeBaseName(), pages[tab].name);
    }
    const QString table = "CSV (*.csv)";
    const QString chart = "PNG image (*.png);;PDF document (*.pdf);;SVG drawing (*.svg)";
    EXPECT_EQ(dialogs.exportFilters, QStringList({table, chart, table, chart}));
    EXPECT_TRUE(dialogs.warnings.isEmpty());

    for (const QString& refused : {file("gone/table.csv"), file("chart.bmp")}) {
        dialogs.exportPath = refused;
        (refused.endsWith("csv") ? window->exportTableAction() : window->exportChartAction())
            ->trigger();
        ASSERT_FALSE(dialogs.warnings.isEmpty());
        EXPECT_TRUE(dialogs.warnings.back().startsWith(QDir::toNativeSeparators(refused) + ": "))
            << dialogs.warnings.back().toStdString();
    }
    EXPECT_EQ(dialogs.warnings.size(), 2);
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
