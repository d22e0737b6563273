#pragma once

#include <functional>

#include <QLineEdit>
#include <QString>

#include "format/number_format.h"

namespace velmora {

/// A text field for one number of a scenario.
///
/// It shows the value it was last given and hands on what the user types only
/// when the edit is committed: on Return, or when focus leaves the field. Text
/// that reads as a number is committed as typed, unchecked. Text that does not
/// is reported in words, marks the field and writes nothing; the field keeps
/// its last good value. Escape puts the last good value back and drops the
/// mark; Return drops it too once the text shows that value again. Undo and
/// Redo act on the text only while it is being edited, and on the window's
/// history otherwise.
class NumberField final : public QLineEdit {
    Q_OBJECT

public:
    NumberField(const QString& accessibleName, QWidget* parent);

    /// Refuses, from now on, a commit whose number `refusal` gives a reason
    /// for ("a cost cannot be negative"), as it refuses text that is no number.
    void setRefusal(std::function<QString(double)> refusal) { refusal_ = std::move(refusal); }
    /// Marks, from now on, a value it keeps that `caution` gives a reason for
    /// ("a share above 1 ..."), without refusing it: the reason is the field's
    /// tooltip while the value is shown and no refusal is marked.
    void setCaution(std::function<QString(double)> caution);
    /// Why the value kept may not mean much; empty for no reason.
    [[nodiscard]] QString caution() const;

    /// Writes and reads values from now on; shows the last good value anew
    /// unless the user is editing.
    void setFormatter(const NumberFormatter& formatter);
    [[nodiscard]] const NumberFormatter& formatter() const { return formatter_; }

    /// Shows `value` and keeps it as the last good value, without touching
    /// text the user is editing.
    void showValue(double value);
    /// The value shown when the user is not editing.
    [[nodiscard]] double lastGoodValue() const { return lastGood_; }
    /// Whether the text differs from the last good value, an edit that has
    /// not been committed.
    [[nodiscard]] bool isEditing() const;

    /// Whether the field is marked because its last commit could not be read.
    [[nodiscard]] bool isMarkedUnreadable() const { return !problem_.isEmpty(); }
    /// What the mark says: the text, why it was not taken, and what was kept.
    [[nodiscard]] const QString& problem() const { return problem_; }
    /// Removes the mark of an unreadable commit, leaving the text alone.
    void clearMark();

signals:
    /// A commit read as a number; the owner stores it.
    void committed(double value);
    /// A commit could not be read; `message` says what and what was kept.
    void unreadable(const QString& message);
    /// Escape threw away an edit or a mark.
    void restored();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    /// Commits an edit; false when its text could not be read.
    bool commit();
    void markUnreadable(const QString& message);
    /// Shows the refusal marked, or else the caution of the value kept.
    void showMarks();
    [[nodiscard]] QString shownText() const;
    /// Shows `text` from its start, the end of a long one out of sight.
    void showText(const QString& text);
    [[nodiscard]] QString unreadableMessage(const QString& typed,
                                            const QString& refused = {}) const;

    NumberFormatter formatter_;
    std::function<QString(double)> refusal_;
    std::function<QString(double)> caution_;
    double lastGood_ = 0;
    QString problem_;
    QString said_;  ///< the tooltip the marks gave it last
};

}  // namespace velmora
