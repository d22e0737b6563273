#pragma once

#include <array>
#include <optional>

#include <QDialog>
#include <QString>

#include "engine/projection/plan.h"
#include "engine/projection/scenario.h"

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace velmora {

class PlanChanges;
class PlanField;

/// Edits how a scenario's inputs change over the months: the monthly growth
/// of its daily trials and the month it stops, the calendar month of M0 and
/// the seasonal factor of each calendar month, changes of an input from a
/// month on, and whom a change of price reaches. OK stays disabled while the
/// plan cannot be used, the dialog saying why; a field whose text cannot be
/// read keeps its last value and says so.
class PlanDialog final : public QDialog {
    Q_OBJECT

public:
    /// Starts from the plan of `scenario`, whose values new changes start at.
    PlanDialog(const ScenarioValues& scenario, QWidget* parent);

    /// The plan as set; none when it sets nothing at all.
    [[nodiscard]] std::optional<Plan> plan() const;

    [[nodiscard]] PlanField* growthField() const { return growth_; }
    [[nodiscard]] PlanField* untilField() const { return until_; }
    [[nodiscard]] QCheckBox* startBox() const { return startBox_; }
    [[nodiscard]] QDateEdit* startDate() const { return startDate_; }
    [[nodiscard]] QCheckBox* seasonsBox() const { return seasonsBox_; }
    /// The factor of January (0) ... December (11).
    [[nodiscard]] PlanField* factorField(int month) const;
    [[nodiscard]] PlanChanges* changes() const { return changes_; }
    [[nodiscard]] QRadioButton* newSubscribersButton() const { return newSubscribers_; }
    /// Why OK is disabled, or why a paste was refused.
    [[nodiscard]] QLabel* message() const { return message_; }
    [[nodiscard]] QPushButton* okButton() const { return ok_; }

    /// Empties the plan.
    void clear();
    /// Closes with the plan only when OK is enabled.
    void accept() override;

private:
    QWidget* makeGrowth();
    QWidget* makeSeasons();
    QWidget* makePriceRule();
    void showPlan(const std::optional<Plan>& plan);
    /// The problem of a field that cannot take its text; empty for none.
    [[nodiscard]] QString fieldProblem() const;
    /// Enables OK, or says why not, after any edit.
    void judge();

    PlanField* growth_ = nullptr;
    PlanField* until_ = nullptr;
    QCheckBox* startBox_ = nullptr;
    QDateEdit* startDate_ = nullptr;
    QCheckBox* seasonsBox_ = nullptr;
    std::array<PlanField*, 12> factors_{};
    PlanChanges* changes_ = nullptr;
    QRadioButton* everyone_ = nullptr;
    QRadioButton* newSubscribers_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* ok_ = nullptr;
    QString refusedPaste_;  ///< told until the next edit
};

}  // namespace velmora
