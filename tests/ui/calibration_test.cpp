#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

#include "support/files.h"
#include "ui/calibration/calibration_page.h"
#include "ui/calibration/calibration_summary.h"
#include "ui/calibration/survival_chart.h"
#include "window_fixture.h"

namespace velmora {
namespace {

/// The Calibration tab of a window whose reading and fitting run at once.
class Calibrating : public DocumentWindow {
protected:
    Calibrating() {
        page().setRunner([](std::function<void()> job) {
            job();
            return QtFuture::makeReadyFuture();
        });
        drain();
    }

    [[nodiscard]] CalibrationPage& page() const { return *window->content()->calibration(); }
    void importFile(const QString& name, const QByteArray& text) {
        dialogs.importPath = file(name);
        ASSERT_TRUE(writeFile(dialogs.importPath, text));
        window->importCohortsAction()->trigger();
        drain();
    }
};

const QByteArray cohorts =
    "cohort,0,1,2,3,trials,days\n"
    "2025-01,1000,600,480,420,1700,31\n"
    "2025-02,800,500,410,,1400,28\n"
    "2025-03,900,540,,,1500,31\n";

TEST_F(Calibrating, ImportsAFileAndAppliesTheFitAsOneUndoableEdit) {
    const ScenarioValues before = single().inputs()->scenarioValues();
    importFile("cohorts.csv", cohorts);
    ASSERT_TRUE(page().table());
    EXPECT_EQ(window->content()->currentWidget(), &page());
    EXPECT_EQ(page().sourceLine()->text(),
              "cohorts.csv: 3 cohorts, up to 3 renewals, with trials and days");
    EXPECT_EQ(page().holdoutBox()->value(), 1);
    // The table's heading marks the renewals the backtest holds out, in italics.
    const auto heldOut = [this](int holdout) {
        page().holdoutBox()->setValue(holdout);
        drain();
        QStringList marked;
        const QAbstractItemModel& model = *page().tableView()->model();
        for (int renewal = 0; renewal <= 3; ++renewal) {
            const QString tip =
                model.headerData(renewal, Qt::Horizontal, Qt::ToolTipRole).toString();
            const bool italic =
                model.headerData(renewal, Qt::Horizontal, Qt::FontRole).value<QFont>().italic();
            EXPECT_EQ(italic, tip.endsWith("held out by the backtest")) << tip.toStdString();
            marked << (italic ? tip : QString());
        }
        return marked;
    };
    // Three renewals leave room to hold out one: two must stay to fit.
    EXPECT_EQ(page().holdoutBox()->maximum(), 1);
    EXPECT_EQ(heldOut(0), QStringList({"", "", "", ""}));
    EXPECT_EQ(heldOut(1), QStringList({"", "", "", "Renewal 3, held out by the backtest"}));
    ASSERT_TRUE(page().fitted());
    EXPECT_EQ(page().summary()->fittedText(0), "0.6074");
    EXPECT_EQ(page().summary()->todayText(0), "0.65");
    EXPECT_EQ(page().chart()->projectionLine()->dataCount(), 37) << "renewals 0 to 36";
    EXPECT_EQ(page().chart()->constantLine()->dataCount(), 37);
    EXPECT_TRUE(page().chart()->heldOut()->visible());
    EXPECT_EQ(history().undoText(), "Import Cohort Data");
    EXPECT_TRUE(window->isWindowModified());

    page().summary()->applyButton()->click();
    drain();
    const ScenarioValues applied = page().fitted()->appliedTo(before);
    EXPECT_EQ(single().inputs()->scenarioValues(), applied);
    EXPECT_EQ(history().count(), 2) << "the import, and Apply as one step";
    EXPECT_EQ(history().undoText(), "Apply Calibration");
    EXPECT_EQ(window->content()->currentWidget(), &page());

    press(Qt::Key_Z);
    EXPECT_EQ(single().inputs()->scenarioValues(), before);
    EXPECT_TRUE(page().table()) << "the table stays until its own step is undone";
    press(Qt::Key_Z);
    EXPECT_FALSE(page().table());
    EXPECT_FALSE(window->isWindowModified());
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(single().inputs()->scenarioValues(), applied);

    // Saved and opened again, the document holds the table as read.
    ASSERT_EQ(window->session()->saveTo(file("calibrated.velmora")), std::nullopt);
    const auto read = readDocumentFile(file("calibrated.velmora"));
    ASSERT_TRUE(std::holds_alternative<ScenarioDocument>(read));
    EXPECT_EQ(std::get<ScenarioDocument>(read).cohortTable, page().table()->table);
    window->session()->load({}, {});
    EXPECT_FALSE(page().table());
    window->session()->load(std::get<ScenarioDocument>(read), file("calibrated.velmora"));
    ASSERT_TRUE(page().table());
    EXPECT_EQ(page().sourceLine()->text(),
              "Kept in the document: 3 cohorts, up to 3 renewals, with trials and days");
}

TEST_F(Calibrating, ApplyWritesTheLaterRatesPickedAsOneUndoableEdit) {
    single().inputs()->setLaterRates({0.5});
    const ScenarioValues before = single().inputs()->scenarioValues();
    importFile("cohorts.csv", cohorts);
    ASSERT_TRUE(page().fitted());
    const Calibration& fitted = *page().fitted();
    QComboBox& later = *page().summary()->laterRatesBox();
    EXPECT_EQ(page().summary()->laterChoice(), LaterChoice::Curve);
    EXPECT_EQ(later.currentText(), "fitted curve (recommended)");
    EXPECT_TRUE(page().summary()->errors()->text().contains(
        "Later rates: fitted curve, backtest 2.25% (recommended); one constant rate, backtest "
        "2.25%."))
        << page().summary()->errors()->text().toStdString();
    struct Pick {
        int index;
        const FittedRates& rates;
    };
    for (const Pick& pick : {Pick{0, fitted.curve}, Pick{1, fitted.rates}}) {
        later.setCurrentIndex(pick.index);
        emit later.activated(pick.index);
        EXPECT_EQ(page().summary()->fittedText(6),
                  QString::number(pick.rates.rtPlus, 'f', 4).remove(QRegularExpression("0+$")));
        page().summary()->applyButton()->click();
        drain();
        EXPECT_EQ(single().inputs()->laterRates(), pick.rates.laterRates);
        EXPECT_EQ(single().inputs()->rtPlus(), pick.rates.rtPlus);
        EXPECT_EQ(single().inputs()->rt6(), fitted.rates.rates[5]);
        EXPECT_EQ(history().count(), 2) << "the import, and Apply as one step";
        press(Qt::Key_Z);
        EXPECT_EQ(single().inputs()->scenarioValues(), before);
    }
}

TEST_F(Calibrating, ApplySetsTheFittedRangesInTheSameStepWhenAsked) {
    const Range price{Input::Price, 1.5, 2.5};
    single().inputs()->setRanges({price});
    importFile("cohorts.csv", cohorts);
    page().summary()->applyRanges()->setChecked(true);
    page().summary()->applyButton()->click();
    drain();
    const std::vector<Range> ranges = single().inputs()->ranges();
    EXPECT_NE(std::find(ranges.begin(), ranges.end(), price), ranges.end()) << "not fitted: kept";
    const auto rt1 = std::find_if(ranges.begin(), ranges.end(),
                                  [](const Range& range) { return range.input == Input::Rt1; });
    ASSERT_NE(rt1, ranges.end());
    EXPECT_EQ(rt1->low, std::min(page().ranges()->rates[0]->low, single().inputs()->rt1()));
    EXPECT_LT(rt1->low, rt1->high);
    EXPECT_EQ(std::count_if(ranges.begin(), ranges.end(),
                            [](const Range& range) { return range.input == Input::RtPlus; }),
              0)
        << "with the curve applied, the bootstrap's constant rtPlus gives no range";
    press(Qt::Key_Z);
    EXPECT_EQ(single().inputs()->ranges(), std::vector<Range>{price});
    EXPECT_EQ(single().inputs()->rt1(), 0.65);
}

TEST_F(Calibrating, OneRenewalFitsRt1AndApplyKeepsTodaysLaterRates) {
    const ScenarioValues before = single().inputs()->scenarioValues();
    importFile("one.csv", "c,0,1\nc1,1000,700\n");
    ASSERT_TRUE(page().fitted());
    EXPECT_FALSE(page().holdoutBox()->isEnabled());
    EXPECT_EQ(page().summary()->fittedText(0), "0.7");
    for (const int row : {1, 5, 6}) {
        EXPECT_EQ(page().summary()->fittedText(row), "kept");
    }
    EXPECT_TRUE(page().summary()->errors()->text().contains(
        "rt2 to rt6 and rtPlus cannot be fitted from one renewal"));
    page().summary()->applyButton()->click();
    drain();
    ScenarioValues expected = before;
    expected.rt1 = 0.7;
    EXPECT_EQ(single().inputs()->scenarioValues(), expected);
}

TEST_F(Calibrating, PastedDroppedOrRefusedTables) {
    QApplication::clipboard()->setText("cohort\t0\t1\r\nJan\t100\t61.5\t\r\nFeb\t120\r\n");
    window->content()->setCurrentWidget(&page());
    page().chart()->setFocus();
    press(Qt::Key_V);
    ASSERT_TRUE(page().table());
    EXPECT_EQ(page().table()->table.cohorts[0].counts, (std::vector<double>{100, 61.5}));
    EXPECT_EQ(page().sourceLine()->text(), "Clipboard: 2 cohorts, up to 1 renewal");

    QMimeData dropped;
    dropped.setText("c,0,1\nx,10,9\n");
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop({10, 10}, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    drain();
    EXPECT_EQ(page().table()->source, "Dropped text");
    EXPECT_EQ(history().count(), 2);

    importFile("bad.csv", "c,0,1\na,100,abc\n");
    ASSERT_EQ(dialogs.warnings.size(), 1);
    EXPECT_TRUE(
        dialogs.warnings[0].endsWith("bad.csv: line 2, column 3: expected a number, "
                                     "found \"abc\""))
        << dialogs.warnings[0].toStdString();
    EXPECT_EQ(history().count(), 2) << "nothing changed";
    EXPECT_EQ(page().table()->source, "Dropped text");
}

}  // namespace
}  // namespace velmora
