#pragma once

#include <array>
#include <memory>

#include <QGroupBox>
#include <QStringList>

#include "engine/decisions/economics.h"
#include "engine/spread/simulation.h"

class QLabel;

namespace velmora {

class CashChart;
class ElidedLabel;
class NumberField;
class ScenarioEditor;
class SubscriptionInputs;
struct SubscriptionCalculation;

/// The unit economics of a scenario, "Costs and cash": the cost of a trial,
/// edited here as one undoable edit, and what it gives: when a trial pays
/// back, the lifetime value to cost, the acquisition spend a month, the
/// break-even month and the cash needed, with the cash curve. While no cost is
/// given it says what to enter instead of showing zeros.
class EconomicsPanel final : public QGroupBox {
    Q_OBJECT

public:
    /// The economics of `inputs`, whose cost edits go to `editor`; both must outlive it.
    EconomicsPanel(SubscriptionInputs* inputs, ScenarioEditor* editor, QWidget* parent);

    /// Shows the economics of `values` over the months of `projection` (none: no month).
    void showScenario(const ScenarioValues& values, const SubscriptionCalculation* projection);

    /// Writes under the break-even and the cash needed their range over
    /// `spread` ("P10 M9 – P90 M14"), while it has one; null: none.
    void setSpread(std::shared_ptr<const Spread> spread);

    [[nodiscard]] NumberField* costField() const { return cost_; }
    /// Why the last cost typed was refused, until one goes in.
    [[nodiscard]] QLabel* message() const { return message_; }
    /// What to enter, shown while no cost is given.
    [[nodiscard]] QLabel* prompt() const { return prompt_; }
    [[nodiscard]] CashChart* chart() const { return chart_; }
    /// The figures shown, "Break-even: M14", or the prompt.
    [[nodiscard]] QStringList lines() const;
    /// The ranges written under the figures, in their order.
    [[nodiscard]] QStringList rangeLines() const;

    static constexpr int figureCount = 5;
    /// The last figures, which take a range under them when the scenario has ranges.
    static constexpr int rangedFigures = 2;

private:
    SubscriptionInputs* inputs_;
    ScenarioEditor* editor_;
    NumberField* cost_;
    ElidedLabel* costEcho_;
    QLabel* message_;
    QLabel* prompt_;
    QWidget* figures_;
    std::array<QLabel*, figureCount> titles_{};
    std::array<QLabel*, figureCount> values_{};
    // Under the last two figures, the break-even and the cash needed.
    std::array<QLabel*, rangedFigures> ranges_{};
    CashChart* chart_;
    std::shared_ptr<const Spread> spread_;
    std::size_t months_ = 0;  // of the projection shown
};

/// What the figures say in words, shared with the comparison.
/// "M14", or "not within the 36 months projected".
[[nodiscard]] QString breakEvenText(const CashTurn& turn, std::size_t months);
/// "$45,210, lowest at M6", or "$0: the cumulative net never falls below zero".
[[nodiscard]] QString cashNeededText(const CashTurn& turn);

}  // namespace velmora
