#pragma once

#include <array>
#include <vector>

#include <QDialog>

#include "engine/spread/ranges.h"
#include "inputs/subscription_inputs.h"

class QLabel;

namespace velmora {

class NumberField;

/// Sets the ranges of a scenario's inputs: for each input the form types,
/// the lowest and the highest value it may take, the value itself the most
/// likely. Ends at the value mean no range. An end that cannot be read, or
/// that would leave the value outside its range, is refused in words and the
/// last good end kept, its field marked until an end goes through or the
/// user keeps it (Return or Escape in that field); OK goes through only with
/// no end marked or being typed, and otherwise says which.
class RangesDialog final : public QDialog {
    Q_OBJECT

public:
    /// Starts from the ranges of `inputs`, each widened to take its value in.
    RangesDialog(const SubscriptionInputs& inputs, QWidget* parent);

    /// The ranges as set, in `rangedInputs` order; none of zero width.
    [[nodiscard]] std::vector<Range> ranges() const;

    /// The fields of the low and the high end of `input`'s range.
    [[nodiscard]] NumberField* lowField(Input input) const;
    [[nodiscard]] NumberField* highField(Input input) const;
    /// Says why the last end could not be taken, until an end goes through.
    [[nodiscard]] QLabel* message() const { return message_; }

    void accept() override;

private:
    struct Row {
        Input input;
        double value;
        NumberField* low;
        NumberField* high;
    };

    void clearAll();
    void showProblem(NumberField* source, const QString& text);
    void clearProblem();

    std::vector<Row> rows_;
    QLabel* message_;
};

/// The field of the form that holds `input`.
[[nodiscard]] SubscriptionInputs::Field formField(Input input);

}  // namespace velmora
