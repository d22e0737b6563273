#pragma once

#include <functional>
#include <optional>

#include <QLineEdit>
#include <QString>

namespace velmora {

/// A field of the plan editor for a number, or for none when empty is allowed.
///
/// It reads its text as it changes, in the form's locale. Text it cannot take
/// (no number, or a number its refusal gives a reason for) marks the field and
/// keeps the last value it took; `problem` says why and what was kept. Text
/// that shows the value it was given stands for that value exactly, so a
/// value with more digits than the field writes survives being shown.
class PlanField final : public QLineEdit {
    Q_OBJECT

public:
    PlanField(const QString& accessibleName, bool emptyAllowed, QWidget* parent);

    /// Refuses, from now on, a number `refusal` gives a reason for.
    void setRefusal(std::function<QString(double)> refusal) { refusal_ = std::move(refusal); }
    /// Shows `value` (empty for none) and takes it.
    void showValue(std::optional<double> value);
    /// The last value taken; none for an empty field.
    [[nodiscard]] std::optional<double> value() const { return value_; }
    /// Why the text is not taken, naming the field; empty when it is.
    [[nodiscard]] const QString& problem() const { return problem_; }

signals:
    /// The text changed: the value, the problem or both may have.
    void edited();

private:
    void read();
    void mark(const QString& problem);

    bool emptyAllowed_;
    std::function<QString(double)> refusal_;
    std::optional<double> value_;
    std::optional<double> given_;
    QString givenText_;
    QString problem_;
};

}  // namespace velmora
