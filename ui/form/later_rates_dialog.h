#pragma once

#include <variant>
#include <vector>

#include <QDialog>
#include <QString>

#include "engine/projection/scenario.h"

class QCPGraph;
class QCustomPlot;
class QLabel;
class QTableWidget;
class QTableWidgetItem;

namespace velmora {

/// The shares a pasted column of text gives, one a line (the first cell of a
/// line copied from a spreadsheet row), blank lines skipped; or why it gives
/// none: "line 3: “abc” is not a number".
[[nodiscard]] std::variant<std::vector<double>, QString> readRateColumn(const QString& text);

/// Sets the renewal rates of a scenario past the sixth: one share a renewal
/// (7, 8, ...), typed into a row, pasted as a column or cleared; every renewal
/// after the last keeps the scenario's Rest. A small chart shows the share of
/// subscribers still paying with the rates as set beside the Rest alone.
/// Text that cannot be read keeps the rate it replaced and says why.
class LaterRatesDialog final : public QDialog {
    Q_OBJECT

public:
    /// Starts from the later rates of `values`, whose rates draw the chart.
    LaterRatesDialog(const ScenarioValues& values, QWidget* parent);

    /// The rates as set, for renewals 7, 8, ... in turn.
    [[nodiscard]] const std::vector<double>& rates() const { return values_.laterRates; }

    [[nodiscard]] QTableWidget* table() const { return table_; }
    /// Says why the last text could not be taken.
    [[nodiscard]] QLabel* message() const { return message_; }
    [[nodiscard]] QCustomPlot* chart() const { return chart_; }
    /// Replaces the rates from the current row on with the column `text`
    /// gives (what Paste does with the clipboard's text).
    void pasteColumn(const QString& text);
    void clear();

private:
    void takeEdit(QTableWidgetItem* item);
    void showRates();
    void drawSurvival();

    ScenarioValues values_;
    QTableWidget* table_;
    QLabel* message_;
    QCustomPlot* chart_;
    QCPGraph* withRates_;
    QCPGraph* restAlone_;
};

}  // namespace velmora
