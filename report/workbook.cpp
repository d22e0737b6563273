#include "report/workbook.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <map>

#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>

#include "engine/calibration/calibration_csv.h"
#include "engine/support/shortest_text.h"
#include "engine/table/table_figures.h"
#include "report/exact_numbers.h"
#include "report/value_rows.h"
#include "report/workbook_check.h"

namespace velmora::report {

namespace {

/// How a cell shows its figure.
enum class Shown { Month, Count, Change, Money, Cents, Share, Days };

/// Text between quotes in a number format; nothing for no text.
QString quoted(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

/// One sheet being written: its cells, and the width each column needs.
class Sheet {
public:
    Sheet(lxw_workbook* book, const std::map<Shown, lxw_format*>& formats, lxw_format* header,
          const QLocale& locale, const QString& name, ExactCells& exact)
        : sheet_(workbook_add_worksheet(book, name.toUtf8().constData())),
          formats_(formats),
          header_(header),
          locale_(locale),
          exact_(exact.emplace_back()) {
        // A sheet the library could not add takes nothing, and fails the workbook.
        if (sheet_ == nullptr) {
            error_ = LXW_ERROR_MEMORY_MALLOC_FAILED;
        }
    }

    /// The first error of the library in writing this sheet.
    [[nodiscard]] lxw_error error() const { return error_; }

    void headers(lxw_row_t row, const QStringList& titles) {
        for (int column = 0; column < titles.size(); ++column) {
            text(row, static_cast<lxw_col_t>(column), titles[column], header_);
        }
    }

    void text(lxw_row_t row, lxw_col_t column, const QString& text, lxw_format* format = nullptr) {
        if (sheet_ == nullptr) {
            return;
        }
        check(worksheet_write_string(sheet_, row, column, text.toUtf8().constData(), format));
        fit(column, text.size());
    }

    /// A figure as a number; one that is not finite as the text the CSV has.
    void number(lxw_row_t row, lxw_col_t column, double value, Shown shown) {
        if (!std::isfinite(value)) {
            text(row, column, QString::fromStdString(shortest(value)));
            return;
        }
        if (sheet_ == nullptr) {
            return;
        }
        check(worksheet_write_number(sheet_, row, column, value, formats_.at(shown)));
        exact_[cellName(row, column)] = shortest(value);
        fit(column, shownText(value, shown).size());
    }

    /// Freezes the rows above `rows` and sets every column's width.
    void finish(lxw_row_t rows) {
        if (sheet_ == nullptr) {
            return;
        }
        worksheet_freeze_panes(sheet_, rows, 0);
        for (const auto& [column, characters] : widths_) {
            check(worksheet_set_column(sheet_, column, column, characters + 2.0, nullptr));
        }
    }

private:
    void check(lxw_error error) {
        if (error_ == LXW_NO_ERROR) {
            error_ = error;
        }
    }

    void fit(lxw_col_t column, qsizetype characters) {
        int& width = widths_[column];
        width = std::max(width, static_cast<int>(characters));
    }

    /// About what a spreadsheet shows of `value`, for the column's width.
    [[nodiscard]] QString shownText(double value, Shown shown) const {
        switch (shown) {
            case Shown::Money:
            case Shown::Cents:
                return locale_.toCurrencyString(value, locale_.currencySymbol(),
                                                shown == Shown::Cents ? 2 : 0);
            case Shown::Share:
                return QString::number(value, 'g', 10);
            case Shown::Month:
                return QStringLiteral("M") + QString::number(value, 'f', 0);
            case Shown::Change:
                return QStringLiteral("+") + locale_.toString(value, 'f', 0);
            case Shown::Count:
            case Shown::Days:
                break;
        }
        return locale_.toString(value, 'f', 0);
    }

    lxw_worksheet* sheet_;
    const std::map<Shown, lxw_format*>& formats_;
    lxw_format* header_;
    const QLocale& locale_;
    std::map<std::string, std::string>& exact_;
    std::map<lxw_col_t, int> widths_;
    lxw_error error_ = LXW_NO_ERROR;
};

Shown valueShown(ValueRow::Kind kind) {
    switch (kind) {
        case ValueRow::Kind::Money:
            return Shown::Cents;
        case ValueRow::Kind::Share:
            return Shown::Share;
        case ValueRow::Kind::Days:
            return Shown::Days;
        case ValueRow::Kind::Count:
            break;
    }
    return Shown::Share;  // counts keep their fractions too
}

Shown metricShown(Metric metric) {
    switch (metric) {
        case Metric::Subscribers:
            return Shown::Count;
        case Metric::LifetimeValue:
            return Shown::Cents;
        default:
            return Shown::Money;
    }
}

Shown inputShown(Input input) {
    return input == Input::Price ? Shown::Cents : Shown::Share;
}

// With the calendar month of M0, each month's calendar month follows as text
// in a last column, where the columns of figures stay as they are without one.
void writeMonths(Sheet& sheet, const ReportScenario& scenario) {
    const std::optional<CalendarMonth> start =
        scenario.values.plan ? scenario.values.plan->startMonth : std::nullopt;
    QStringList titles{QStringLiteral("Month"), QStringLiteral("Active"), QStringLiteral("Change"),
                       QStringLiteral("Proceeds"), QStringLiteral("Annualized")};
    if (start) {
        titles << QStringLiteral("Calendar Month");
    }
    sheet.headers(0, titles);
    lxw_row_t row = 1;
    if (scenario.projection != nullptr) {
        ScenarioValues projected = scenario.values;
        projected.monthDuration = scenario.projection->monthDuration;
        for (const MonthlyRow& month :
             monthlyRows(projected, scenario.projection->monthlySnapshots, scenario.values.price)) {
            sheet.number(row, 0, static_cast<double>(month.month), Shown::Month);
            sheet.number(row, 1, month.active, Shown::Count);
            if (month.changeKind == ChangeKind::Delta) {
                sheet.number(row, 2, month.change, Shown::Change);
            }
            sheet.number(row, 3, month.proceeds, Shown::Money);
            sheet.number(row, 4, month.annualized, Shown::Money);
            if (start) {
                sheet.text(row, 5, QString::fromStdString(calendarMonthName(*start, month.month)));
            }
            ++row;
        }
    }
    sheet.finish(1);
}

// The plans after the values, a blank row between: a row for each line any
// scenario's plan has, empty where a scenario's leaves it out.
void writePlans(Sheet& sheet, const Report& report) {
    std::size_t longest = 0;
    std::vector<ScenarioValues> values;
    for (const ReportScenario& scenario : report.scenarios) {
        longest = std::max(longest,
                           valueRows(scenario.values).size() + scenario.values.laterRates.size());
        values.push_back(scenario.values);
    }
    const PlanGrid grid = planGrid(values);
    if (grid.titles.empty()) {
        return;
    }
    auto row = static_cast<lxw_row_t>(longest + 2);
    sheet.text(row++, 0, QStringLiteral("Plan"));
    for (std::size_t line = 0; line < grid.titles.size(); ++line, ++row) {
        sheet.text(row, 0, grid.titles[line]);
        for (std::size_t i = 0; i < grid.rows[line].size(); ++i) {
            const std::optional<PlanRow>& found = grid.rows[line][i];
            const auto column = static_cast<lxw_col_t>(i + 1);
            if (!found) {
                continue;
            }
            if (found->text.isEmpty()) {
                sheet.number(row, column, found->value, valueShown(found->kind));
            } else {
                sheet.text(row, column, found->text);
            }
        }
    }
}

void writeValues(Sheet& sheet, const Report& report) {
    QStringList titles{QStringLiteral("Value")};
    for (const ReportScenario& scenario : report.scenarios) {
        titles << scenario.name;
    }
    sheet.headers(0, titles);
    lxw_col_t column = 1;
    for (const ReportScenario& scenario : report.scenarios) {
        lxw_row_t row = 1;
        for (const ValueRow& value : valueRows(scenario.values)) {
            sheet.text(row, 0, value.title);
            sheet.number(row++, column, value.value, valueShown(value.kind));
        }
        // The renewal rates past the sixth follow, a row a renewal; a cell is
        // left empty where a scenario keeps its Rest.
        const auto& later = scenario.values.laterRates;
        for (std::size_t k = 0; k < later.size(); ++k) {
            sheet.text(row, 0,
                       QStringLiteral("Retention Rate %1").arg(k + ScenarioValues::rateCount));
            sheet.number(row++, column, later[k], valueShown(ValueRow::Kind::Share));
        }
        ++column;
    }
    writePlans(sheet, report);
    sheet.finish(1);
}

void writeAnswers(Sheet& sheet, const InsightAnswers& answers) {
    lxw_row_t row = 0;
    if (const auto& moved = answers.sensitivity) {
        sheet.headers(row++, {QStringLiteral("Metric"), QStringLiteral("Base")});
        sheet.text(row, 0, metricTitle(moved->metric));
        sheet.number(row++, 1, moved->base, metricShown(moved->metric));
        ++row;
        sheet.headers(row++, {QStringLiteral("Input"), QStringLiteral("Value Down"),
                              QStringLiteral("Value Up"), QStringLiteral("Change Down"),
                              QStringLiteral("Change Up")});
        for (const SensitivityBar& bar : moved->bars) {
            sheet.text(row, 0, inputTitle(bar.input));
            sheet.number(row, 1, bar.downValue, inputShown(bar.input));
            sheet.number(row, 2, bar.upValue, inputShown(bar.input));
            sheet.number(row, 3, bar.down, metricShown(moved->metric));
            sheet.number(row++, 4, bar.up, metricShown(moved->metric));
        }
        ++row;
    }
    if (const auto& goal = answers.goal) {
        sheet.headers(row++, {QStringLiteral("Goal"), QStringLiteral("Target"),
                              QStringLiteral("Input"), QStringLiteral("Value"),
                              QStringLiteral("Reached"), QStringLiteral("Achieved")});
        const Shown figure = metricShown(goal->goal.metric);
        sheet.text(row, 0, metricTitle(goal->goal.metric));
        sheet.number(row, 1, goal->goal.target, figure);
        sheet.text(row, 2, inputTitle(goal->goal.input));
        sheet.number(row, 3, goal->result.value, inputShown(goal->goal.input));
        sheet.text(row, 4, goal->result.reached() ? QStringLiteral("Yes") : QStringLiteral("No"));
        sheet.number(row++, 5, goal->result.achieved, figure);
        ++row;
    }
    if (const auto& settle = answers.settle) {
        sheet.headers(row++,
                      {QStringLiteral("Settles"), QStringLiteral("Subscribers"),
                       QStringLiteral("Monthly Proceeds"), QStringLiteral("First Month at 90%")});
        const bool settles = settle->kind == SettlePoint::Kind::Settles;
        sheet.text(row, 0, settles ? QStringLiteral("Yes") : QStringLiteral("No"));
        if (settles) {
            sheet.number(row, 1, settle->subscribers, Shown::Count);
            sheet.number(row, 2, settle->monthlyProceeds, Shown::Money);
            if (settle->month90) {
                sheet.number(row, 3, static_cast<double>(*settle->month90), Shown::Month);
            }
        } else {
            sheet.text(row, 1, QString::fromStdString(settle->reason));
        }
        row += 2;
    }
    if (const auto& money = answers.economics) {
        sheet.headers(row++,
                      {QStringLiteral("Cost per Trial"), QStringLiteral("Monthly Spend"),
                       QStringLiteral("Payback Months"), QStringLiteral("Shortfall"),
                       QStringLiteral("Lifetime Value to Cost"), QStringLiteral("Break-even Month"),
                       QStringLiteral("Cash Needed"), QStringLiteral("Cash Needed Month")});
        const CashTurn& turn = money->cash.turn;
        sheet.number(row, 0, answers.costPerTrial, Shown::Cents);
        sheet.number(row, 1, money->cash.monthlySpend, Shown::Money);
        if (money->payback.months) {
            sheet.number(row, 2, static_cast<double>(*money->payback.months), Shown::Count);
        }
        sheet.number(row, 3, money->payback.shortfall, Shown::Cents);
        sheet.number(row, 4, money->lifetimeValueToCost, Shown::Share);
        if (turn.breakEvenMonth) {
            sheet.number(row, 5, static_cast<double>(*turn.breakEvenMonth), Shown::Month);
        }
        sheet.number(row, 6, turn.cashNeeded, Shown::Money);
        if (turn.cashNeededMonth) {
            sheet.number(row, 7, static_cast<double>(*turn.cashNeededMonth), Shown::Month);
        }
    }
    sheet.finish(1);
}

void writeFitted(Sheet& sheet, const CalibrationFigures& shown, const ScenarioValues& today) {
    sheet.headers(0, {QStringLiteral("Value"), QStringLiteral("Fitted"), QStringLiteral("Low"),
                      QStringLiteral("High"), QStringLiteral("Today")});
    std::array<FittedValue, 9> found{};
    if (shown.fitted) {
        found = fittedValues(*shown.fitted, shown.ranges ? &*shown.ranges : nullptr, today);
    }
    const auto todays = fittedValueFields(today);
    lxw_row_t row = 1;
    for (std::size_t i = 0; i < found.size(); ++i, ++row) {
        sheet.text(row, 0, QString::fromLatin1(fittedValueNames[i]));
        if (found[i].value) {
            sheet.number(row, 1, *found[i].value, Shown::Share);
        }
        if (const auto& range = found[i].range) {
            sheet.number(row, 2, range->low, Shown::Share);
            sheet.number(row, 3, range->high, Shown::Share);
        }
        sheet.number(row, 4, todays[i], Shown::Share);
    }
    if (const auto& fitted = shown.fitted) {
        ++row;
        sheet.headers(row++, {QStringLiteral("Key"), QStringLiteral("Value")});
        const auto pair = [&sheet, &row](const char* key, double value) {
            sheet.text(row, 0, QString::fromLatin1(key));
            sheet.number(row++, 1, value, Shown::Share);
        };
        const LaterChoice chosen = fitted->recommended;
        pair("alpha", fitted->model.alpha);
        pair("beta", fitted->model.beta);
        pair("fitError", fitted->fit.of(chosen).error);
        pair("modelFitError", fitted->fit.model.error);
        pair("fitCells", static_cast<double>(fitted->fit.projection.cells));
        if (const auto& backtest = fitted->backtest) {
            pair("holdout", static_cast<double>(backtest->holdout));
            pair("backtestError", backtest->errors.of(chosen).error);
            pair("modelBacktestError", backtest->errors.model.error);
            pair("backtestCells", static_cast<double>(backtest->errors.projection.cells));
        }
        pair("horizon", static_cast<double>(fitted->horizon));
        if (fitted->rates.later) {
            // As the CSV has them: both choices of later rates, then the curve's rates.
            sheet.text(row, 0, QStringLiteral("recommended"));
            sheet.text(row++, 1, QString::fromLatin1(choiceName(chosen)));
            for (const LaterChoice choice : {LaterChoice::Curve, LaterChoice::Constant}) {
                const QString name = QString::fromLatin1(choiceName(choice));
                const auto named = [&](const char* key, std::optional<double> value) {
                    sheet.text(row, 0, name + QString::fromLatin1(key));
                    if (value) {
                        sheet.number(row, 1, *value, Shown::Share);
                    }
                    ++row;
                };
                named("RtPlus", fitted->ratesOf(choice).rtPlus);
                named("FitError", fitted->fit.of(choice).error);
                named("BacktestError",
                      fitted->backtest ? std::optional(fitted->backtest->errors.of(choice).error)
                                       : std::nullopt);
            }
            ++row;
            sheet.headers(row++, {QStringLiteral("Renewal"), QStringLiteral("Later Rate")});
            const auto& later = fitted->curve.laterRates;
            for (std::size_t i = 0; i < later.size(); ++i, ++row) {
                sheet.number(row, 0, static_cast<double>(i + 7), Shown::Count);
                sheet.number(row, 1, later[i], Shown::Share);
            }
        }
    }
    sheet.finish(1);
}

void writeCohorts(Sheet& sheet, const CohortTable& table) {
    QStringList titles{QStringLiteral("Cohort")};
    const std::size_t columns = table.longestRow() + 1;
    for (std::size_t k = 0; k < columns; ++k) {
        titles << QString::number(k);
    }
    if (table.hasTrials()) {
        titles << QStringLiteral("Trials");
    }
    if (table.hasDays()) {
        titles << QStringLiteral("Days");
    }
    sheet.headers(0, titles);
    lxw_row_t row = 1;
    for (const CohortRow& cohort : table.cohorts) {
        sheet.text(row, 0, QString::fromStdString(cohort.label));
        lxw_col_t column = 1;
        for (const double count : cohort.counts) {
            sheet.number(row, column++, count, Shown::Share);
        }
        column = static_cast<lxw_col_t>(columns + 1);
        if (table.hasTrials()) {
            if (cohort.trials) {
                sheet.number(row, column, *cohort.trials, Shown::Share);
            }
            ++column;
        }
        if (table.hasDays() && cohort.days) {
            sheet.number(row, column, *cohort.days, Shown::Share);
        }
        ++row;
    }
    sheet.finish(1);
}

}  // namespace

QString currencyFormat(const QLocale& locale, int decimals) {
    const QString number =
        decimals > 0 ? QStringLiteral("#,##0.") + QString(decimals, '0') : QStringLiteral("#,##0");
    const auto section = [&](double value) {
        const QString text = locale.toCurrencyString(value, locale.currencySymbol(), decimals);
        const QString digits = locale.toString(std::abs(value), 'f', decimals);
        const qsizetype at = text.indexOf(digits);
        if (at < 0) {
            return number;
        }
        return quoted(text.left(at)) + number + quoted(text.mid(at + digits.size()));
    };
    return section(1234) + QLatin1Char(';') + section(-1234);
}

QString writeWorkbook(const Report& report, QIODevice& out, const QLocale& locale) {
    QTemporaryDir folder;
    if (!folder.isValid()) {
        return QStringLiteral("no temporary folder: ") + folder.errorString();
    }
    const QString path = folder.filePath(QStringLiteral("workbook.xlsx"));
    QByteArray temporary = folder.path().toLocal8Bit();
    lxw_workbook_options options{LXW_FALSE, temporary.data(), LXW_FALSE};
    lxw_workbook* book = workbook_new_opt(path.toLocal8Bit().constData(), &options);
    if (book == nullptr) {
        return QStringLiteral("the workbook could not be started");
    }
    QByteArray title =
        (report.documentName + QStringLiteral(" — ") + pageTitle(report.kind)).toUtf8();
    lxw_doc_properties properties{};
    properties.title = title.data();
    workbook_set_properties(book, &properties);

    const auto format = [book](const QString& code) {
        lxw_format* made = workbook_add_format(book);
        format_set_num_format(made, code.toUtf8().constData());
        return made;
    };
    const std::map<Shown, lxw_format*> formats{
        {Shown::Month, format(QStringLiteral("\"M\"0"))},
        {Shown::Count, format(QStringLiteral("#,##0"))},
        {Shown::Change, format(QStringLiteral("+#,##0;-#,##0;+0"))},
        {Shown::Money, format(currencyFormat(locale, 0))},
        {Shown::Cents, format(currencyFormat(locale, 2))},
        {Shown::Share, format(QStringLiteral("General"))},
        {Shown::Days, format(QStringLiteral("0"))},
    };
    lxw_format* header = workbook_add_format(book);
    format_set_bold(header);
    ExactCells exact;

    lxw_error failed = LXW_NO_ERROR;
    const auto keep = [&failed](const Sheet& sheet) {
        failed = failed == LXW_NO_ERROR ? sheet.error() : failed;
    };
    if (report.kind == ReportKind::Insights) {
        Sheet answers(book, formats, header, locale, pageTitle(report.kind), exact);
        writeAnswers(answers, report.answers);
        keep(answers);
    } else if (report.kind == ReportKind::Calibration) {
        Sheet fitted(book, formats, header, locale, pageTitle(report.kind), exact);
        writeFitted(fitted, report.calibration, report.scenarios.front().values);
        keep(fitted);
        if (report.calibration.table) {
            Sheet cohorts(book, formats, header, locale, QStringLiteral("Cohorts"), exact);
            writeCohorts(cohorts, *report.calibration.table);
            keep(cohorts);
        }
    } else {
        for (const ReportScenario& scenario : report.scenarios) {
            Sheet months(book, formats, header, locale, scenario.name, exact);
            writeMonths(months, scenario);
            keep(months);
        }
    }
    Sheet values(book, formats, header, locale, QStringLiteral("Values"), exact);
    writeValues(values, report);
    keep(values);

    const lxw_error closed = workbook_close(book);
    if (failed != LXW_NO_ERROR || closed != LXW_NO_ERROR) {
        return QString::fromUtf8(lxw_strerror(failed != LXW_NO_ERROR ? failed : closed));
    }
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly)) {
        return written.errorString();
    }
    QByteArray bytes = written.readAll();
    if (written.error() != QFileDevice::NoError) {
        return written.errorString();
    }
    qint64 unpacked = 0;
    if (const QString damaged = damagedPart(bytes, unpacked); !damaged.isEmpty()) {
        const QString why = whyNotWritten(folder.path(), unpacked + bytes.size());
        return why.isEmpty() ? damaged : why + QStringLiteral(" (") + damaged + ')';
    }
    if (const QString inexact = writeExactNumbers(bytes, exact); !inexact.isEmpty()) {
        return inexact;
    }
    return out.write(bytes) == bytes.size() ? QString() : out.errorString();
}

}  // namespace velmora::report
