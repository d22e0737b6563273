#include <qcustomplot.h>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "ui/form/inputs_view.h"
#include "ui/form/later_rates_dialog.h"
#include "window_fixture.h"

namespace velmora {
namespace {

using LaterRates = DocumentWindow;

TEST(LaterRateColumn, ReadsOneShareALineOrSaysWhichLineItCannot) {
    using Read = std::variant<std::vector<double>, QString>;
    const std::pair<const char*, Read> cases[] = {
        {"0.96\n\n 0.97 \r\n0.98\tcohort b\n", std::vector<double>{0.96, 0.97, 0.98}},
        {"", std::vector<double>{}},
        {"0.9\nabc\n", QStringLiteral("line 2: “abc” is not a number")},
        {"0.9\n1e400", QStringLiteral("line 2: “1e400” is not a number")},
    };
    for (const auto& [text, read] : cases) {
        EXPECT_EQ(readRateColumn(QString::fromUtf8(text)), read) << text;
    }
}

TEST_F(LaterRates, TypedPastedAndClearedInTheDialogThenAppliedAndUndoneAsOneEdit) {
    InputsView& form = *single().form();
    const ScenarioValues before = single().inputs()->scenarioValues();
    form.laterRatesButton()->click();
    auto* dialog = form.findChild<LaterRatesDialog*>();
    ASSERT_NE(dialog, nullptr);
    QTableWidget& table = *dialog->table();
    ASSERT_EQ(table.rowCount(), 1) << "one blank row to type into";

    table.item(0, 0)->setText("0.96");
    table.item(1, 0)->setText("abc");
    EXPECT_EQ(dialog->rates(), std::vector<double>{0.96});
    EXPECT_EQ(dialog->message()->text(), "“abc” is not a number.");
    table.item(0, 0)->setText("x");
    EXPECT_EQ(dialog->message()->text(), "“x” is not a number; renewal 7 keeps 0.96.");
    table.setCurrentCell(1, 0);
    dialog->pasteColumn("0.97\n0.98\n");
    EXPECT_EQ(dialog->rates(), (std::vector<double>{0.96, 0.97, 0.98}));
    EXPECT_EQ(table.verticalHeaderItem(3)->text(), "10") << "the blank row's renewal";
    dialog->pasteColumn("0.5\nzz");
    EXPECT_TRUE(dialog->message()->text().contains("line 2")) << "refused whole";
    EXPECT_EQ(dialog->rates().size(), 3u);
    table.item(0, 0)->setText("");  // the later rates move up a renewal
    EXPECT_EQ(dialog->rates(), (std::vector<double>{0.97, 0.98}));

    // The curve follows the rates at renewals 7 and 8, then Rest.
    const auto& shown = *dialog->chart()->graph(0)->data();
    double sixth = 100;
    for (std::size_t k = 0; k < 6; ++k) {
        sixth *= before.retentionRates()[k];
    }
    EXPECT_DOUBLE_EQ(shown.at(8)->value, sixth * 0.97 * 0.98);
    EXPECT_DOUBLE_EQ(shown.at(9)->value, sixth * 0.97 * 0.98 * before.rtPlus);

    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    settle();
    EXPECT_EQ(single().inputs()->laterRates(), (std::vector<double>{0.97, 0.98}));
    EXPECT_EQ(history().undoText(), "Later Rates");
    EXPECT_EQ(form.laterRatesButton()->text(), "Later rates (2)…");
    EXPECT_EQ(form.restTitle()->text(), "Rest\nafter 8");
    press(Qt::Key_Z);
    EXPECT_EQ(single().inputs()->scenarioValues(), before);
    EXPECT_EQ(form.laterRatesButton()->text(), "Later rates…");
    EXPECT_EQ(form.restTitle()->text(), "Rest");

    // Cleared and cancelled, nothing changes.
    form.laterRatesButton()->click();
    dialog = form.findChild<LaterRatesDialog*>();
    dialog->clear();
    dialog->reject();
    drain();
    EXPECT_EQ(history().undoText(), "");
}

}  // namespace
}  // namespace velmora
