#pragma once

#include <optional>
#include <variant>
#include <vector>

#include <QWidget>

#include "document/scenario_document.h"
#include "engine/calibration/calibration_ranges.h"
#include "ui/calibration/imported_table.h"
#include "ui/common/scenario_editor.h"
#include "ui/insights/latest_job.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableView;

namespace velmora {

class CalibrationSummary;
class CohortTableModel;
class Rebuild;
class SurvivalChart;

/// Calibration of the scenario of "Basic Analysis" from a retention table:
/// the table as read, shaded by retention; the survival chart; the values
/// fitted beside today's with their ranges, the fit and backtest errors; and
/// Apply, one edit that writes the fitted values with the later rates picked
/// (the recommended choice unless the user picks the other). Tables are read and fitted
/// off the window's thread; an answer for a table or settings since replaced
/// is dropped.
class CalibrationPage final : public QWidget {
    Q_OBJECT

public:
    /// Calibrates `inputs`, whose edits (Apply, an import) go to `editor`
    /// (none: written directly); both must outlive the page. `kept` is the
    /// table of the document the window opened with.
    CalibrationPage(SubscriptionInputs* inputs, ScenarioEditor* editor,
                    const std::optional<CohortTable>& kept, QWidget* parent);

    /// Reads the cohort table in the file at `path`; once read it becomes the
    /// page's table, as one edit. A table that cannot be read is told through
    /// `problem`, and nothing changes.
    void importFile(const QString& path);
    /// The same for `text` from `source` ("Clipboard", "Dropped text").
    void importText(const QByteArray& text, const QString& source);
    /// Imports the clipboard's text.
    void paste();

    /// The table shown, or null.
    [[nodiscard]] const SharedTable& table() const { return table_; }
    /// What the document keeps of it: the table, unless too large.
    [[nodiscard]] std::optional<CohortTable> keptTable() const;
    /// Shows `table` in place of the one shown, as a load does: not an edit.
    void setTable(SharedTable table);

    /// What the fit of the table shown found; none while fitting or without one.
    [[nodiscard]] const std::optional<Calibration>& fitted() const { return fitted_; }
    /// The ranges of the fitted values, once found.
    [[nodiscard]] const std::optional<CalibrationRanges>& ranges() const { return ranges_; }
    /// Runs the reading, fitting and ranges through `runner` from now on.
    void setRunner(const JobRunner& runner);
    /// Whether a table is being read or fitted, or its ranges found.
    [[nodiscard]] bool isBusy() const;

    [[nodiscard]] SurvivalChart* chart() const { return chart_; }
    [[nodiscard]] QTableView* tableView() const { return view_; }
    [[nodiscard]] CalibrationSummary* summary() const { return summary_; }
    [[nodiscard]] QSpinBox* holdoutBox() const { return holdout_; }
    [[nodiscard]] QLabel* sourceLine() const { return source_; }

signals:
    /// A table could not be read: the window tells the user.
    void problem(const QString& title, const QString& message);
    /// An import was made, undone or redone: the page wants to be seen.
    void revealRequested();
    /// The user asked to import a file ("Import…"): the window asks which.
    void importRequested();

private:
    void take(std::variant<ImportedTable, DocumentProblem> read);
    void refit();
    void showFit();
    void apply();
    [[nodiscard]] CalibrationSettings settings() const;

    SubscriptionInputs* inputs_;
    DirectEditor direct_;
    ScenarioEditor* editor_;
    SharedTable table_;
    std::optional<Calibration> fitted_;
    std::optional<CalibrationRanges> ranges_;
    std::optional<std::string> refused_;  ///< why the settings could not be fitted
    std::size_t fittedHorizon_ = 0;       ///< the horizon of the fit asked for last
    QLabel* source_;
    QPushButton* import_;
    QPushButton* paste_;
    QSpinBox* holdout_;
    QLabel* status_;
    QStackedWidget* stack_;
    QTableView* view_;
    CohortTableModel* model_;
    SurvivalChart* chart_;
    CalibrationSummary* summary_;
    LatestJob* reading_;
    LatestJob* fitting_;
    LatestJob* ranging_;
    Rebuild* rebuild_;
};

/// The ranges of `kept`, with the bootstrap ranges `found` of the fitted values
/// in place of theirs, each widened to take its `fitted` value in.
[[nodiscard]] std::vector<Range> fittedRanges(const CalibrationRanges& found,
                                              const ScenarioValues& fitted,
                                              const std::vector<Range>& kept);

}  // namespace velmora
