#include "ui/form/plan_field.h"

#include "format/number_format.h"

namespace velmora {

namespace {

// As the form's fields mark theirs; only a marked field has a style sheet.
const char* const markStyle =
    "QLineEdit { border: 2px solid #c62828; border-radius: 3px; padding: 0 2px; }";

// Long pastes are cut in the message so it stays one or two lines.
constexpr qsizetype quotedLength = 24;

QString shown(std::optional<double> value) {
    return value ? formText(formFormatter(), *value) : QString();
}

}  // namespace

PlanField::PlanField(const QString& accessibleName, bool emptyAllowed, QWidget* parent)
    : QLineEdit(parent), emptyAllowed_(emptyAllowed) {
    setAccessibleName(accessibleName);
    connect(this, &QLineEdit::textChanged, this, [this] {
        read();
        emit edited();
    });
}

void PlanField::showValue(std::optional<double> value) {
    given_ = value;
    givenText_ = shown(value);
    if (text() == givenText_) {
        read();
        emit edited();
    } else {
        setText(givenText_);
    }
    setCursorPosition(0);
}

void PlanField::read() {
    QString typed = text().trimmed();
    if (text() == givenText_) {
        value_ = given_;
        mark({});
        return;
    }
    if (typed.isEmpty()) {
        if (emptyAllowed_) {
            value_ = std::nullopt;
            mark({});
        } else {
            mark(tr("%1: an empty field is not a number. Kept %2.")
                     .arg(accessibleName(), shown(value_)));
        }
        return;
    }
    const auto number = formFormatter().read(typed);
    const QString refused = number && refusal_ ? refusal_(*number) : QString();
    if (number && refused.isEmpty()) {
        value_ = number;
        mark({});
        return;
    }
    if (typed.size() > quotedLength) {
        typed = typed.left(quotedLength - 1) + QStringLiteral("…");
    }
    const QString kept = value_ ? tr("Kept %1.").arg(shown(value_)) : tr("Kept none.");
    mark(number ? tr("%1: “%2”: %3. %4").arg(accessibleName(), typed, refused, kept)
                : tr("%1: “%2” is not a number. %3").arg(accessibleName(), typed, kept));
}

void PlanField::mark(const QString& problem) {
    if (problem == problem_) {
        return;
    }
    problem_ = problem;
    setStyleSheet(problem.isEmpty() ? QString() : QString::fromLatin1(markStyle));
    setToolTip(problem);
}

}  // namespace velmora
