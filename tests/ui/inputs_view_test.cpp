#include <iterator>
#include <tuple>

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include "inputs/subscription_inputs.h"
#include "support/fake_timer.h"
#include "ui/common/elided_label.h"
#include "ui/form/inputs_view.h"
#include "ui/form/number_field.h"

namespace velmora {
namespace {

using Field = SubscriptionInputs::Field;

// In the form's tab order.
constexpr Field allFields[] = {
    Field::StartingSubs, Field::Price, Field::DailyNewSubs, Field::TrialRetention,
    Field::Rt1,          Field::Rt2,   Field::Rt3,          Field::Rt4,
    Field::Rt5,          Field::Rt6,   Field::RtPlus};

class Form : public ::testing::Test {
protected:
    Form() : inputs(std::make_unique<FakeTimer>()), view(&inputs) {
        QObject::connect(&inputs, &SubscriptionInputs::objectWillChange, &inputs,
                         [this] { ++announcements; });
    }

    NumberField* field(Field f) const { return view.field(f); }
    QString text(Field f) const { return field(f)->text(); }
    /// Replaces the text of `f` as a user does, without committing it.
    void type(Field f, const QString& typed) {
        field(f)->selectAll();
        QTest::keyClick(field(f), Qt::Key_Backspace);
        QTest::keyClicks(field(f), typed);
    }
    void press(QWidget* target, Qt::Key key) {
        QTest::keyClick(target, key);
        drain();
    }
    void leave(Field f, Qt::FocusReason reason = Qt::TabFocusReason) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(field(f), &out);
        drain();
    }

    SubscriptionInputs inputs;
    InputsView view;
    int announcements = 0;  ///< writes to the scenario
};

TEST_F(Form, ShowsTheDefaultsAsTheFormWritesThem) {
    const char* const expected[] = {"0",    "1.99", "100", "0.59", "0.65", "0.84",
                                    "0.87", "0.89", "0.9", "0.91", "0.95"};
    for (std::size_t i = 0; i < std::size(allFields); ++i) {
        EXPECT_EQ(text(allFields[i]).toStdString(), expected[i]) << i;
    }
    EXPECT_EQ(view.monthsLabel()->text(), "36");
    EXPECT_EQ(view.monthsLabel()->frameShape(), QFrame::NoFrame) << "text, not a field";
    EXPECT_EQ(view.slider()->value(), 3600);
}

TEST_F(Form, ACommitWritesOnce) {
    type(Field::Price, "2.490");
    drain();
    EXPECT_EQ(announcements, 0) << "typing writes nothing";
    press(field(Field::Price), Qt::Key_Return);
    EXPECT_EQ(inputs.price(), 2.49);
    EXPECT_EQ(text(Field::Price), "2.49");
    press(field(Field::Price), Qt::Key_Return);
    EXPECT_EQ(announcements, 1) << "unchanged text writes nothing";

    // Focus leaving commits too, but not for a context menu.
    view.show();
    QApplication::setActiveWindow(&view);
    field(Field::DailyNewSubs)->setFocus();
    type(Field::DailyNewSubs, "250");
    leave(Field::DailyNewSubs, Qt::PopupFocusReason);
    EXPECT_EQ(inputs.dailyNewSubs(), 100);
    press(field(Field::DailyNewSubs), Qt::Key_Tab);
    EXPECT_TRUE(field(Field::TrialRetention)->hasFocus());
    EXPECT_EQ(inputs.dailyNewSubs(), 250);

    // A message takes the room kept for it: the form does not move.
    const int height = view.message()->height();
    type(Field::Price, "x");
    leave(Field::Price);
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_EQ(view.message()->height(), height);
}

// Taken as typed, but a share outside 0 to 1 and a negative price or count
// are marked, the tooltip saying why (empty: no mark).
TEST_F(Form, StoresWhatIsTypedUncheckedAndMarksWhatMayNotMeanMuch) {
    const std::tuple<Field, const char*, double, const char*, const char*> cases[] = {
        {Field::StartingSubs, "-20", -20, "-20", "Starting Subscribers below zero is a count"},
        {Field::Rt2, "95", 95, "95", "Retention Rate 2 is a share of the subscribers, from 0 to 1"},
        {Field::Rt2, "1", 1, "1", ""},
        {Field::TrialRetention, "1.5", 1.5, "1.5", "Trial Retention is a share"},
        {Field::Rt1, "-5", -5, "-5", "Retention Rate 1 is a share"},
        {Field::RtPlus, "0", 0, "0", ""},
        {Field::DailyNewSubs, " 1,000 ", 1000, "1,000", ""},
        {Field::Price, "0.12345", 0.12345, "0.123", ""},
        {Field::Price, "-5", -5, "-5", "A negative price pays the subscribers"},
        {Field::Price, "0", 0, "0", ""},
        // Past 1e15 the digits would run far beyond the field.
        {Field::DailyNewSubs, "1e308", 1e308, "1e+308", ""},
        {Field::DailyNewSubs, "-1", -1, "-1", "Daily Trials below zero"},
        {Field::DailyNewSubs, "0", 0, "0", ""},
        {Field::StartingSubs, "-12345678901234567", -12345678901234567.0, "-1.2345678901234568e+16",
         "Starting Subscribers below zero"},
    };
    for (const auto& [f, typed, stored, shown, why] : cases) {
        type(f, typed);
        leave(f);
        EXPECT_EQ(inputs.value(f), stored) << typed;
        EXPECT_EQ(text(f).toStdString(), shown) << typed;
        EXPECT_EQ(field(f)->cursorPosition(), 0) << "shown from its start";
        const QString caution = field(f)->caution();
        EXPECT_EQ(caution.isEmpty(), *why == 0) << typed;
        EXPECT_TRUE(*why == 0 || caution.startsWith(QString::fromUtf8(why)))
            << caution.toStdString();
        EXPECT_EQ(field(f)->toolTip(), caution) << typed;
        EXPECT_EQ(field(f)->palette().color(QPalette::Base) != view.palette().color(QPalette::Base),
                  *why != 0)
            << "shaded: " << typed;
        EXPECT_FALSE(field(f)->isMarkedUnreadable()) << typed;
    }
    leave(Field::Price);
    EXPECT_EQ(announcements, static_cast<int>(std::size(cases))) << "focus-out without an edit";

    // A refusal's words go first; the mark of the value kept comes back after it.
    type(Field::Price, "abc");
    leave(Field::Price);
    EXPECT_TRUE(field(Field::Price)->toolTip().startsWith("“abc” is not a number"));
    press(field(Field::Price), Qt::Key_Escape);
    EXPECT_EQ(field(Field::Price)->toolTip(), field(Field::Price)->caution());
    // The scenario changed from elsewhere is marked alike.
    inputs.setPrice(2);
    drain();
    EXPECT_TRUE(field(Field::Price)->toolTip().isEmpty());
}

TEST_F(Form, UnreadableTextWritesNothingAndSaysWhatWasKept) {
    const std::pair<const char*, const char*> cases[] = {
        {"abc", "“abc” is not a number. Kept 1.99."},
        {"1.2.3", "“1.2.3” is not a number. Kept 1.99."},
        {"", "An empty field is not a number. Kept 1.99."},
        {"a very long paste that goes on",
         "“a very long paste that …” is not a number. Kept 1.99."},
    };
    for (const auto& [typed, message] : cases) {
        for (const bool byReturn : {true, false}) {
            type(Field::Price, typed);
            if (byReturn) {
                press(field(Field::Price), Qt::Key_Return);
                EXPECT_EQ(field(Field::Price)->selectedText(), typed) << "kept for fixing";
            } else {
                leave(Field::Price);
                EXPECT_EQ(text(Field::Price), "1.99") << "back to the last good value";
            }
            EXPECT_EQ(view.message()->text().toStdString(), message);
            EXPECT_EQ(field(Field::Price)->toolTip().toStdString(), message);
            EXPECT_TRUE(field(Field::Price)->isMarkedUnreadable());
            // Escape throws the text away; back at the value kept, Return keeps it.
            press(field(Field::Price), byReturn ? Qt::Key_Escape : Qt::Key_Return);
            EXPECT_EQ(text(Field::Price), "1.99");
            EXPECT_FALSE(field(Field::Price)->isMarkedUnreadable());
            EXPECT_TRUE(view.message()->text().isEmpty());
        }
    }
    EXPECT_EQ(announcements, 0);
}

TEST_F(Form, OnlyTheLastProblemShowsUntilAGoodCommit) {
    type(Field::Rt1, "x");
    leave(Field::Rt1);
    type(Field::Rt2, "y");
    leave(Field::Rt2);
    EXPECT_FALSE(field(Field::Rt1)->isMarkedUnreadable());
    EXPECT_TRUE(field(Field::Rt2)->isMarkedUnreadable());
    type(Field::Rt3, "0.5");
    press(field(Field::Rt3), Qt::Key_Return);
    EXPECT_FALSE(field(Field::Rt2)->isMarkedUnreadable());
    EXPECT_TRUE(view.message()->text().isEmpty());

    // Escape with nothing to throw away is left for a dialog to act on.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(field(Field::Rt3), &escape);
    EXPECT_FALSE(escape.isAccepted());
}

TEST_F(Form, FollowsTheScenarioButNotOverWhatIsBeingTyped) {
    type(Field::Price, "3");
    inputs.setPrice(5);
    inputs.setRt4(0.5);
    inputs.setMonthsToProject(36.6);
    drain();
    EXPECT_EQ(text(Field::Price), "3");
    EXPECT_EQ(text(Field::Rt4), "0.5");
    EXPECT_EQ(view.monthsLabel()->text(), "37");
    EXPECT_EQ(view.slider()->value(), 3660);
    EXPECT_EQ(inputs.monthsToProject(), 36.6) << "the slider follows without writing back";
    type(Field::Price, "x");
    leave(Field::Price);
    EXPECT_EQ(view.message()->text(), "“x” is not a number. Kept 5.");
}

TEST_F(Form, TheSliderStepsByMonthsAndYearsWithinItsRange) {
    const std::pair<Qt::Key, double> steps[] = {
        {Qt::Key_Right, 37}, {Qt::Key_PageUp, 49}, {Qt::Key_Left, 48}, {Qt::Key_PageDown, 36},
        {Qt::Key_Home, 6},   {Qt::Key_Left, 6},    {Qt::Key_End, 600}, {Qt::Key_Right, 600}};
    for (const auto& [key, months] : steps) {
        press(view.slider(), key);
        EXPECT_EQ(inputs.monthsToProject(), months) << key;
    }
    EXPECT_EQ(announcements, 6) << "a slider at its end writes nothing";
    inputs.setMonthsToProject(2);
    drain();
    EXPECT_EQ(view.monthsLabel()->text(), "2");
    press(view.slider(), Qt::Key_Right);
    EXPECT_EQ(inputs.monthsToProject(), 7);

    // Dragging writes fractional months.
    view.slider()->setValue(3650);
    EXPECT_EQ(inputs.monthsToProject(), 36.5);
}

// Destroying a shown form takes focus from the field being edited; the form
// being torn down must not act on that commit.
TEST(FormLifetime, DestroyingTheFormMidEditWritesNothing) {
    SubscriptionInputs inputs{std::make_unique<FakeTimer>()};
    int writes = 0;
    QObject::connect(&inputs, &SubscriptionInputs::objectWillChange, &inputs, [&] { ++writes; });
    auto* view = new InputsView(&inputs);
    view->show();
    QApplication::setActiveWindow(view);
    view->field(Field::Price)->setFocus();
    QTest::keyClicks(view->field(Field::Price), "7");
    delete view;
    drain();
    EXPECT_EQ(writes, 0);
}

}  // namespace
}  // namespace velmora
