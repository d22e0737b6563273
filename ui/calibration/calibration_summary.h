#pragma once

#include <array>
#include <optional>

#include <QWidget>

#include "engine/calibration/calibration_ranges.h"

class QLabel;
class QCheckBox;
class QComboBox;
class QPushButton;

namespace velmora {

/// What a calibration found, beside the scenario's values today: a row for
/// each value it fits (the renewal rates, the trial retention, the daily
/// trials) with the fitted value, its bootstrap range and today's value;
/// then the fit and backtest errors, the model, both choices of later rates
/// with their backtest errors, and Apply with the choice it writes.
class CalibrationSummary final : public QWidget {
    Q_OBJECT

public:
    static constexpr int rowCount = 9;  ///< rt1 to rt6, rtPlus, trialRetention, dailyNewSubs

    explicit CalibrationSummary(QWidget* parent = nullptr);

    /// Shows `fitted` (none: still fitting, or nothing to fit) with `ranges`
    /// (none: still finding them, or none to find) beside `today`; the fitted
    /// `rtPlus` is that of the `laterChoice`.
    void display(const Calibration* fitted, const CalibrationRanges* ranges,
                 const ScenarioValues& today);

    /// The fitted value of row `row`, its range and today's, as shown.
    [[nodiscard]] QString fittedText(int row) const;
    [[nodiscard]] QString rangeText(int row) const;
    [[nodiscard]] QString todayText(int row) const;
    [[nodiscard]] QLabel* errors() const { return errors_; }
    [[nodiscard]] QPushButton* applyButton() const { return apply_; }
    /// Whether Apply sets the fitted values' ranges as the scenario's too.
    [[nodiscard]] QCheckBox* applyRanges() const { return applyRanges_; }
    /// Which later rates Apply writes: the fitted curve or one constant rate.
    [[nodiscard]] QComboBox* laterRatesBox() const { return later_; }
    [[nodiscard]] LaterChoice laterChoice() const;
    /// Picks `choice`, marking it recommended: a new fit's recommendation.
    void recommend(LaterChoice choice);

signals:
    void applyClicked();
    /// The user picked the other later rates.
    void laterChoiceChanged();

private:
    std::array<QLabel*, rowCount> fitted_{};
    std::array<QLabel*, rowCount> ranges_{};
    std::array<QLabel*, rowCount> today_{};
    QLabel* errors_;
    QPushButton* apply_;
    QCheckBox* applyRanges_;
    QComboBox* later_;
};

}  // namespace velmora
