#include "ui/form/number_field.h"

#include <cmath>

#include <QFocusEvent>
#include <QKeyEvent>

namespace velmora {

namespace {

// Long pastes are cut in the message so it stays one or two lines.
constexpr qsizetype quotedLength = 24;

// Only a marked field carries a style sheet, so an unmarked one keeps the
// look of the platform style.
const char* const markStyle =
    "QLineEdit { border: 2px solid #c62828; border-radius: 3px; padding: 0 2px; }";
// A pale amber ground: taken, unlike the red of a refusal, but worth a look.
// A colour of the palette, not a style sheet, so the field keeps its size.
const QColor cautionGround(0xFF, 0xE4, 0xA3);

}  // namespace

NumberField::NumberField(const QString& accessibleName, QWidget* parent)
    : QLineEdit(parent), formatter_(formFormatter()) {
    setAccessibleName(accessibleName);
    setPlaceholderText(QStringLiteral("Enter your score"));
    showText(shownText());
}

QString NumberField::shownText() const {
    return formText(formatter_, lastGood_);
}

void NumberField::showText(const QString& text) {
    setText(text);
    setCursorPosition(0);
}

void NumberField::setFormatter(const NumberFormatter& formatter) {
    const bool editing = isEditing();
    formatter_ = formatter;
    if (!editing) {
        showText(shownText());
    }
}

void NumberField::setCaution(std::function<QString(double)> caution) {
    caution_ = std::move(caution);
    showMarks();
}

QString NumberField::caution() const {
    return caution_ ? caution_(lastGood_) : QString();
}

void NumberField::showValue(double value) {
    const bool editing = isEditing();
    lastGood_ = value;
    showMarks();
    if (editing) {
        return;
    }
    // Setting equal text would still move the cursor to the end.
    if (const QString shown = shownText(); text() != shown) {
        showText(shown);
    }
}

bool NumberField::isEditing() const {
    return text() != shownText();
}

void NumberField::clearMark() {
    if (problem_.isEmpty()) {
        return;
    }
    problem_.clear();
    showMarks();
}

void NumberField::showMarks() {
    const QString cautioned = problem_.isEmpty() ? caution() : QString();
    const QString sheet = problem_.isEmpty() ? QString() : QString::fromLatin1(markStyle);
    // A new style sheet polishes the field anew: only when it changes.
    if (styleSheet() != sheet) {
        setStyleSheet(sheet);
    }
    const bool amber = !cautioned.isEmpty();
    if (amber != (palette().color(QPalette::Base) == cautionGround)) {
        QPalette colours;  // none of its own: the parent's again
        if (amber) {
            colours = palette();
            colours.setColor(QPalette::Base, cautionGround);
        }
        setPalette(colours);
    }
    const QString said = problem_.isEmpty() ? cautioned : problem_;
    // Only a change of mark is told, so a field never marked keeps the
    // description its owner gave it.
    if (said != said_) {
        said_ = said;
        setToolTip(said);
        setAccessibleDescription(said);
    }
    setProperty("unreadable", !problem_.isEmpty());
}

bool NumberField::event(QEvent* event) {
    // With nothing being typed, Undo and Redo are the window's, not the text's.
    if (event->type() == QEvent::ShortcutOverride && !isEditing()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            event->ignore();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void NumberField::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Marked, but showing its kept value again: Return keeps that value.
            if (!isEditing() && isMarkedUnreadable()) {
                clearMark();
                emit restored();
            } else if (!commit()) {
                // Bad text stays, selected, so the user can type over it.
                selectAll();
            }
            // Taken here: Return in a field must not also press a dialog's default button.
            event->accept();
            return;
        case Qt::Key_Escape:
            if (isEditing() || isMarkedUnreadable()) {
                showText(shownText());
                clearMark();
                emit restored();
                event->accept();
                return;
            }
            // Nothing to throw away: a dialog may close on it.
            break;
        default:
            break;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberField::focusOutEvent(QFocusEvent* event) {
    // A context menu takes focus for a moment; the edit goes on after it.
    if (event->reason() != Qt::PopupFocusReason && !commit()) {
        showText(shownText());
    }
    QLineEdit::focusOutEvent(event);
}

bool NumberField::commit() {
    if (!isEditing()) {
        return true;
    }
    const QString typed = text();
    const std::optional<double> value = formatter_.read(typed);
    const QString refused = value && refusal_ ? refusal_(*value) : QString();
    if (value && refused.isEmpty()) {
        lastGood_ = *value;
        // Written as the field writes it, so the later refresh finds nothing being edited.
        showText(shownText());
        problem_.clear();
        showMarks();
        emit committed(*value);
        return true;
    }
    const QString message = unreadableMessage(typed, refused);
    markUnreadable(message);
    emit unreadable(message);
    return false;
}

void NumberField::markUnreadable(const QString& message) {
    problem_ = message;
    showMarks();
}

QString NumberField::unreadableMessage(const QString& typed, const QString& refused) const {
    const QString kept = shownText();
    QString quoted = typed.trimmed();
    if (quoted.isEmpty()) {
        return QStringLiteral("An empty field is not a number. Kept %1.").arg(kept);
    }
    if (quoted.size() > quotedLength) {
        quoted = quoted.left(quotedLength - 1) + QStringLiteral("…");
    }
    if (!refused.isEmpty()) {
        return QStringLiteral("“%1”: %2. Kept %3.").arg(quoted, refused, kept);
    }
    return QStringLiteral("“%1” is not a number. Kept %2.").arg(quoted, kept);
}

}  // namespace velmora
