#include "tools/calibration_answer.h"

#include <cmath>
#include <ostream>

#include <QFile>

#include "document/cohort_table_file.h"
#include "engine/calibration/calibration.h"
#include "engine/calibration/calibration_csv.h"
#include "engine/support/shortest_text.h"
#include "tools/documents.h"
#include "tools/flag_values.h"
#include "tools/number_text.h"
#include "tools/render.h"

namespace velmora::cli {

namespace {

constexpr std::array<std::string_view, 9> names{
    "rt1", "rt2", "rt3", "rt4", "rt5", "rt6", "rtPlus", "trialRetention", "dailyNewSubs"};

std::array<double, 9> fields(const ScenarioValues& v) {
    return {v.rt1, v.rt2, v.rt3, v.rt4, v.rt5, v.rt6, v.rtPlus, v.trialRetention, v.dailyNewSubs};
}

// The values a table gives: the renewal rates always, the trials when it has them.
std::size_t fittedCount(const Calibration& fitted) {
    return fitted.dailyNewSubs ? 9 : fitted.trialRetention ? 8 : 7;
}

// No figure is null; an infinite one is a string, as in the projection's JSON.
std::string number(double value) {
    if (std::isnan(value)) {
        return "null";
    }
    return std::isfinite(value) ? shortest(value) : '"' + shortest(value) + '"';
}

std::string percent(const SurvivalError& error) {
    return error.cells == 0 || !std::isfinite(error.error)
               ? "n/a"
               : groupedNumber(100 * error.error, 2) + "%";
}

// The later rates a table cannot tell (one renewal's rate only): the scenario keeps its own.
bool kept(const Calibration& fitted, std::size_t field) {
    return !fitted.rates.later && field >= 1 && field <= 6;
}

std::string listed(const Calibration& fitted, bool json, bool modelled) {
    std::string list;
    for (std::size_t k = 0; k < 7; ++k) {
        if (modelled ? k < 6 && fitted.rates.later && !fitted.rates.observed[k] : kept(fitted, k)) {
            list += list.empty() ? "" : json ? ", " : " ";
            list += json ? '"' + std::string(names[k]) + '"' : std::string(names[k]);
        }
    }
    return list;
}

std::string jsonList(const std::vector<double>& rates) {
    std::string list = "[";
    for (const double rate : rates) {
        list += (list.size() > 1 ? ", " : "") + number(rate);
    }
    return list + ']';
}

std::string backtestError(const Calibration& fitted, LaterChoice choice) {
    return fitted.backtest ? number(fitted.backtest->errors.of(choice).error) : "null";
}

// Both choices of later rates with their errors, and which is recommended.
void writeChoices(const Calibration& fitted, std::ostream& out) {
    if (!fitted.rates.later) {
        out << ", \"choices\": null, \"recommended\": null";
        return;
    }
    out << ", \"choices\": {\"curve\": {\"laterRates\": " << jsonList(fitted.curve.laterRates)
        << ", \"rtPlus\": " << number(fitted.curve.rtPlus)
        << ", \"fitError\": " << number(fitted.fit.curve.error)
        << ", \"backtestError\": " << backtestError(fitted, LaterChoice::Curve)
        << "}, \"constant\": {\"rtPlus\": " << number(fitted.rates.rtPlus)
        << ", \"fitError\": " << number(fitted.fit.projection.error)
        << ", \"backtestError\": " << backtestError(fitted, LaterChoice::Constant)
        << "}}, \"recommended\": \"" << choiceName(fitted.recommended) << '"';
}

void writeJson(const Calibration& fitted, const ScenarioValues& applied, std::ostream& out) {
    const auto values = fields(applied);
    const LaterChoice chosen = fitted.recommended;
    out << "{\"inputs\": {";
    for (std::size_t i = 0; i < fittedCount(fitted); ++i) {
        if (i == 6 && fitted.rates.later && chosen == LaterChoice::Curve) {
            out << ", \"laterRates\": " << jsonList(applied.laterRates);
        }
        out << (i > 0 ? ", \"" : "\"") << names[i] << "\": " << number(values[i]);
    }
    out << "}, \"model\": {\"name\": \"sBG\", \"alpha\": " << number(fitted.model.alpha)
        << ", \"beta\": " << number(fitted.model.beta)
        << ", \"fitError\": " << number(fitted.fit.model.error) << ", \"backtestError\": "
        << (fitted.backtest ? number(fitted.backtest->errors.model.error) : "null")
        << "}, \"fitError\": " << number(fitted.fit.of(chosen).error)
        << ", \"backtestError\": " << backtestError(fitted, chosen) << ", \"backtest\": ";
    if (fitted.backtest) {
        out << "{\"holdout\": " << fitted.backtest->holdout
            << ", \"error\": " << number(fitted.backtest->errors.of(chosen).error)
            << ", \"cells\": " << fitted.backtest->errors.projection.cells << '}';
    } else {
        out << "null";
    }
    out << ", \"fitCells\": " << fitted.fit.projection.cells << ", \"horizon\": " << fitted.horizon
        << ", \"fromModel\": [" << listed(fitted, true, true) << "], \"kept\": ["
        << listed(fitted, true, false) << ']';
    if (fitted.dailyNewSubs) {
        out << ", \"dailyCohorts\": " << fitted.dailyCohorts;
    }
    writeChoices(fitted, out);
    out << "}\n";
}

void writeCsv(const Calibration& fitted, const ScenarioValues& applied, std::ostream& out) {
    const auto values = fields(applied);
    out << "key,value\n";
    for (std::size_t i = 0; i < fittedCount(fitted); ++i) {
        out << names[i] << ',' << shortest(values[i]) << '\n';
    }
    const auto optional = [](double value) { return std::isfinite(value) ? shortest(value) : ""; };
    const LaterChoice chosen = fitted.recommended;
    out << "model,sBG\nalpha," << optional(fitted.model.alpha) << "\nbeta,"
        << optional(fitted.model.beta) << "\nfitError," << optional(fitted.fit.of(chosen).error)
        << "\nmodelFitError," << optional(fitted.fit.model.error) << '\n';
    if (fitted.backtest) {
        out << "holdout," << fitted.backtest->holdout << "\nbacktestError,"
            << optional(fitted.backtest->errors.of(chosen).error) << "\nmodelBacktestError,"
            << optional(fitted.backtest->errors.model.error) << '\n';
    }
    out << "horizon," << fitted.horizon << '\n';
    if (!fitted.rates.later) {
        out << "kept," << listed(fitted, false, false) << '\n';
        return;
    }
    out << "recommended," << choiceName(chosen) << '\n';
    for (const LaterChoice choice : {LaterChoice::Curve, LaterChoice::Constant}) {
        const std::string name = choiceName(choice);
        out << name << "RtPlus," << optional(fitted.ratesOf(choice).rtPlus) << '\n'
            << name << "BacktestError,"
            << (fitted.backtest ? optional(fitted.backtest->errors.of(choice).error) : "") << '\n';
    }
    out << "laterRates,";
    for (std::size_t i = 0; i < fitted.curve.laterRates.size(); ++i) {
        out << (i > 0 ? " " : "") << shortest(fitted.curve.laterRates[i]);
    }
    out << '\n';
}

void writeTable(const Calibration& fitted, const ScenarioValues& applied,
                const ScenarioValues& today, std::ostream& out) {
    const auto values = fields(applied);
    const auto todays = fields(today);
    std::vector<std::vector<std::string>> rows{{"Value", "Fitted", "Today"}};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int digits = i == 8 ? 1 : 4;
        rows.push_back(
            {std::string(names[i]),
             i < fittedCount(fitted) && !kept(fitted, i) ? groupedNumber(values[i], digits) : "-",
             groupedNumber(todays[i], digits)});
    }
    writeColumns(rows, out);
    const auto errors = [&](const CalibrationErrors& e) {
        return percent(e.of(fitted.recommended)) + " (projection), " + percent(e.model) +
               " (sBG model) over " +
               groupedInteger(static_cast<std::int64_t>(e.projection.cells)) +
               (e.projection.cells == 1 ? " cell" : " cells");
    };
    out << "\nFit error: " << errors(fitted.fit) << '\n';
    if (fitted.backtest) {
        const std::size_t holdout = fitted.backtest->holdout;
        out << "Backtest, the last "
            << (holdout == 1 ? "renewal" : std::to_string(holdout) + " renewals")
            << " held out: " << errors(fitted.backtest->errors) << '\n';
    } else {
        out << "Backtest: none\n";
    }
    if (fitted.rates.later) {
        out << "Model: sBG, alpha " << groupedNumber(fitted.model.alpha, 4) << ", beta "
            << groupedNumber(fitted.model.beta, 4) << "; rtPlus follows it to renewal "
            << fitted.horizon << '\n';
        const auto backtest = [&](LaterChoice choice) {
            return fitted.backtest ? "backtest " + percent(fitted.backtest->errors.of(choice))
                                   : std::string("no backtest");
        };
        const auto& later = fitted.curve.laterRates;
        out << "Later rates: fitted curve"
            << (fitted.recommended == LaterChoice::Curve ? " (recommended)" : "") << ", "
            << backtest(LaterChoice::Curve) << "; one constant rate"
            << (fitted.recommended == LaterChoice::Constant ? " (recommended)" : "") << ", "
            << backtest(LaterChoice::Constant) << '\n';
        if (!later.empty()) {
            out << "The curve's later rates, renewals 7 to " << later.size() + 6 << ": "
                << groupedNumber(later.front(), 4) << " to " << groupedNumber(later.back(), 4)
                << ", then rtPlus " << groupedNumber(fitted.curve.rtPlus, 4) << '\n';
        }
    } else {
        out << "Model: sBG, not fitted: one renewal cannot tell alpha and beta apart\n"
            << "Not fitted from one renewal, today's kept: " << listed(fitted, false, false)
            << '\n';
    }
    if (const std::string modelled = listed(fitted, false, true); !modelled.empty()) {
        out << "From the model, no cohort reaching them: " << modelled << '\n';
    }
    if (fitted.dailyNewSubs) {
        out << "Daily trials from the " << fitted.dailyCohorts << " most recent cohorts\n";
    }
}

ScenarioValues& pageOf(ScenarioDocument& document, Page page) {
    return page == Page::Basic ? document.basic
                               : document.comparison[static_cast<std::size_t>(page) - 1];
}

}  // namespace

std::variant<CohortTable, DocumentProblem> readCalibrationTable(const Options& options) {
    return readCohortTableFile(
        QFile::decodeName(QByteArray::fromStdString(*options.calibrateFile)));
}

CalibrationSettings calibrationSettings(const Options& options, const ScenarioValues& values) {
    return {options.horizon.value_or(projectionHorizon(values)), options.holdout};
}

int calibrateScenario(const Options& options, ScenarioDocument document,
                      const ScenarioValues& values, std::ostream& out, std::ostream& err) {
    const auto refuse = [&err](const std::string& message) {
        err << "velmora-project: " << message << '\n';
        return exitUsage;
    };
    auto read = readCalibrationTable(options);
    if (const auto* problem = std::get_if<DocumentProblem>(&read)) {
        return refuse("--calibrate: " + escaped(problem->message.toStdString(), false));
    }
    const CohortTable& table = std::get<CohortTable>(read);
    auto calibrated = calibrate(table, calibrationSettings(options, values));
    if (const auto* refused = std::get_if<std::string>(&calibrated)) {
        return refuse("--holdout: " + *refused);
    }
    const Calibration& fitted = std::get<Calibration>(calibrated);
    const ScenarioValues applied = fitted.appliedTo(values);
    if (options.saveFile) {
        pageOf(document, options.page) = applied;
        document.cohortTable = table;
        if (!fitsInDocument(table)) {
            document.cohortTable.reset();
            err << "velmora-project: --save: the cohort table is too large to keep in the "
                   "document; it holds the fitted values only\n";
        }
        if (const auto error = unsavable(*options.saveFile, document)) {
            return refuse(error->message);
        }
        if (const auto problem = save(*options.saveFile, document)) {
            err << "velmora-project: " << *problem << '\n';
            return exitOutputFailed;
        }
    }
    switch (options.format) {
        case OutputFormat::Json:
            writeJson(fitted, applied, out);
            break;
        case OutputFormat::Csv:
            writeCsv(fitted, applied, out);
            break;
        case OutputFormat::Table:
            writeTable(fitted, applied, values, out);
            break;
    }
    return 0;
}

}  // namespace velmora::cli
