#pragma once

#include <array>

#include <QWidget>

#include "inputs/subscription_inputs.h"
#include "ui/common/scenario_editor.h"

class QDialog;

class QGridLayout;
class QLabel;
class QPushButton;
class QSlider;

namespace velmora {

class ElidedLabel;
class NumberField;
class Rebuild;

/// The form of one scenario: the projection length on a slider, the other
/// numbers in fields. Edits are written to the scenario as they are
/// committed, through the editor given (none: written directly), and the
/// form follows the scenario when it changes from elsewhere.
class InputsView final : public QWidget {
    Q_OBJECT

public:
    /// Edits `inputs` through `editor`; both must outlive the form.
    explicit InputsView(SubscriptionInputs* inputs, QWidget* parent = nullptr,
                        ScenarioEditor* editor = nullptr);
    ~InputsView() override;

    /// The field of `field`; none for `MonthsToProject`, which is on the
    /// slider, and for `CostPerTrial`, which the form does not show.
    [[nodiscard]] NumberField* field(SubscriptionInputs::Field field) const;
    /// Months to project, in hundredths of a month.
    [[nodiscard]] QSlider* slider() const { return slider_; }
    /// The whole months the slider stands for, as plain text.
    [[nodiscard]] ElidedLabel* monthsLabel() const { return monthsLabel_; }
    /// The last text a field could not read, until an edit goes through.
    [[nodiscard]] QLabel* message() const { return message_; }
    [[nodiscard]] SubscriptionInputs* inputs() const { return inputs_; }
    /// Opens the dialog that sets the scenario's ranges, whose OK applies them
    /// as one edit: "Ranges…", or "Ranges (2)…" with two set, which its
    /// tooltip names.
    [[nodiscard]] QPushButton* rangesButton() const { return rangesButton_; }
    /// Opens the editor of the renewal rates past the sixth, whose OK applies
    /// them as one edit: "Later rates…", or "Later rates (30)…" with thirty.
    [[nodiscard]] QPushButton* laterRatesButton() const { return laterRatesButton_; }
    /// Opens the editor of the scenario's plan, whose OK applies it as one
    /// edit: "Plan…", or "Plan (3 changes)…" with three, which its tooltip lists.
    [[nodiscard]] QPushButton* planButton() const { return planButton_; }
    /// The title over the Rest field, which names the renewal it starts after.
    [[nodiscard]] QLabel* restTitle() const { return restTitle_; }

    /// Slider positions per month: months are fractional on the slider.
    static constexpr int sliderStepsPerMonth = 100;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addMonthsRow(QGridLayout* rows);
    void addFieldRow(QGridLayout* rows, SubscriptionInputs::Field field);
    QWidget* makeRatesBlock();
    NumberField* makeField(SubscriptionInputs::Field field, const QString& accessibleName);
    void orderTabs();
    void editRanges();
    void editLaterRates();
    void editPlan();
    // Opens `dialog`; accepted with a value other than the scenario's `held`,
    // `set` applies it as one step of the history named `title`.
    template <typename Value, typename Read>
    void applyWhenAccepted(QDialog* dialog, const QString& title, Read read,
                           const Value& (SubscriptionInputs::*held)() const,
                           void (SubscriptionInputs::*set)(Value));

    void refresh();
    void showProblem(NumberField* source, const QString& text);
    void clearProblem();

    SubscriptionInputs* inputs_;
    DirectEditor direct_;
    ScenarioEditor* editor_;
    std::array<NumberField*, 12> fields_{};
    QSlider* slider_ = nullptr;
    ElidedLabel* monthsLabel_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* rangesButton_ = nullptr;
    QPushButton* laterRatesButton_ = nullptr;
    QPushButton* planButton_ = nullptr;
    QLabel* restTitle_ = nullptr;
    Rebuild* rebuild_ = nullptr;
};

}  // namespace velmora
