#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QColor>
#include <QString>

#include "engine/projection/plan.h"

class QCPItemStraightLine;
class QCPItemText;
class QCustomPlot;

namespace velmora {

/// A month at which a plan changes something, as a chart marks it.
struct PlanMark {
    double month = 0;
    /// "M6: Price 2.99; Trial Retention 0.55", "M13: Growth stops", the
    /// figures as the form writes them, after the owner's name when given.
    QString text;
    QString label;       ///< the text without the owner's name, drawn along the line
    QColor colour = {};  ///< none: the chart's text colour, faded

    friend bool operator==(const PlanMark&, const PlanMark&) = default;
};

/// The marks of `plan` on a chart of `months` months, in order of month;
/// none without a plan. `owner` ("Alternate 1") leads each text when given.
[[nodiscard]] std::vector<PlanMark> planMarks(const std::optional<Plan>& plan, std::int64_t months,
                                              const QString& owner = {});

/// "Jan 2027": the calendar month of whole month `month` when M0's calendar
/// month `start` is known; empty otherwise.
[[nodiscard]] QString calendarName(const std::optional<CalendarMonth>& start, double month);

/// The thin vertical lines of plan marks on one plot, each with its text
/// along it, and what they say.
class PlanMarkLines {
public:
    /// Draws on `plot`, which owns the lines.
    explicit PlanMarkLines(QCustomPlot* plot);

    /// Shows `marks`, replacing those shown; the plot is replotted by its owner.
    void setMarks(std::vector<PlanMark> marks);
    [[nodiscard]] const std::vector<PlanMark>& marks() const { return marks_; }

    /// The texts of the marks at whole month `month`, a line each; empty without one.
    [[nodiscard]] QString textAt(double month) const;
    /// `tip` with the texts of the marks at whole month `month` below it.
    [[nodiscard]] QString withTextAt(const QString& tip, double month) const;
    /// The texts of the marks within a few pixels of the pointer at `x`.
    [[nodiscard]] QString textNear(double x) const;

private:
    QCustomPlot* plot_;
    std::vector<PlanMark> marks_;
    std::vector<QCPItemStraightLine*> lines_;
    std::vector<QCPItemText*> labels_;
};

}  // namespace velmora
