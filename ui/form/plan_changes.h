#pragma once

#include <vector>

#include <QString>
#include <QWidget>

#include "engine/projection/plan.h"
#include "engine/projection/scenario.h"

class QComboBox;
class QSpinBox;
class QTableWidget;

namespace velmora {

class PlanField;

/// The changes of a plan as a table of rows, each a month, an input and its
/// value from that month on, with buttons to add a row, remove one and paste
/// rows copied from a spreadsheet.
class PlanChanges final : public QWidget {
    Q_OBJECT

public:
    /// A new row starts at the values of `scenario` (its price, say).
    PlanChanges(const ScenarioValues& scenario, QWidget* parent);

    void setChanges(const std::vector<PlanChange>& changes);
    /// The rows in their order, each value the last its field took.
    [[nodiscard]] std::vector<PlanChange> changes() const;
    /// Why a row's value is not taken; empty when every one is.
    [[nodiscard]] QString problem() const;

    /// A row a month later than any, of the last row's input and value (the
    /// scenario's price for the first row); none past the last month.
    void addRow();
    void removeRow(int row);
    /// Adds the changes of pasted `text` (see `readPlanChanges`), each
    /// replacing the value of the row of its input and month; or adds
    /// nothing and sends `refused`.
    bool paste(const QString& text);

    [[nodiscard]] QTableWidget* table() const { return table_; }
    [[nodiscard]] QSpinBox* monthBox(int row) const;
    [[nodiscard]] QComboBox* inputBox(int row) const;
    [[nodiscard]] PlanField* valueField(int row) const;

signals:
    /// A row was added, removed or edited.
    void edited();
    /// A paste was refused, `why` naming the line.
    void refused(const QString& why);

private:
    void appendRow(const PlanChange& change);
    void name(int row);
    /// The row of the focused cell, or the current row; -1 for none.
    [[nodiscard]] int activeRow() const;

    ScenarioValues scenario_;
    QTableWidget* table_;
};

}  // namespace velmora
