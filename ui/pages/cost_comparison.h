#pragma once

#include <array>

#include <QStringList>
#include <QWidget>

#include "ui/common/scenario_editor.h"

namespace velmora {

class ElidedLabel;
class NumberField;
class Rebuild;
class ScenarioColumn;
class SubscriptionInputs;

/// The costs of one compared scenario: its cost of a trial, edited as one
/// undoable edit, and what that gives. The baseline's column tells its own
/// break-even month and cash needed; an alternate's tells how they differ from
/// the baseline's, "▼ -4 months (M14) break-even", "▲ +$3,000 (+7.1%) cash
/// needed". The arrow tells the direction; green marks the better (sooner,
/// less), red the worse.
class CostComparison final : public QWidget {
    Q_OBJECT

public:
    static constexpr int lineCount = 2;

    /// The costs of `scenario`, compared with `baseline` unless that is null
    /// (`scenario` is the baseline); edits go to `editor` (none: written
    /// directly). All must outlive it.
    CostComparison(SubscriptionInputs* baseline, SubscriptionInputs* scenario,
                   ScenarioEditor* editor, QWidget* parent);
    /// One for `column`'s scenario, placed at the end of the column.
    static CostComparison* addTo(ScenarioColumn* column, SubscriptionInputs* baseline,
                                 ScenarioEditor* editor);

    [[nodiscard]] NumberField* costField() const { return cost_; }
    /// The lines shown.
    [[nodiscard]] QStringList texts() const;

private:
    void refresh();

    SubscriptionInputs* baseline_;
    SubscriptionInputs* scenario_;
    DirectEditor direct_;
    ScenarioEditor* editor_;
    NumberField* cost_;
    std::array<ElidedLabel*, lineCount> lines_{};
    Rebuild* rebuild_;
};

}  // namespace velmora
