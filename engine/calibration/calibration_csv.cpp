#include "engine/calibration/calibration_csv.h"

#include <cmath>
#include <ostream>

#include "engine/support/shortest_text.h"

namespace velmora {

namespace {

std::string field(double value) {
    return std::isfinite(value) ? shortest(value) : std::string();
}

std::string field(const std::optional<double>& value) {
    return value ? field(*value) : std::string();
}

/// A label as CSV quotes it when it holds a separator, a quote or a line end.
std::string quotedField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + '"';
}

void writeTable(const CohortTable& table, std::ostream& out) {
    const std::size_t columns = table.longestRow() + 1;
    out << "cohort";
    for (std::size_t k = 0; k < columns; ++k) {
        out << ',' << k;
    }
    out << (table.hasTrials() ? ",trials" : "") << (table.hasDays() ? ",days" : "") << '\n';
    for (const CohortRow& row : table.cohorts) {
        out << quotedField(row.label);
        for (std::size_t k = 0; k < columns; ++k) {
            out << ',' << (k < row.counts.size() ? field(row.counts[k]) : std::string());
        }
        if (table.hasTrials()) {
            out << ',' << field(row.trials);
        }
        if (table.hasDays()) {
            out << ',' << field(row.days);
        }
        out << '\n';
    }
}

}  // namespace

const char* choiceName(LaterChoice choice) {
    return choice == LaterChoice::Curve ? "curve" : "constant";
}

std::array<double, 9> fittedValueFields(const ScenarioValues& v) {
    return {v.rt1, v.rt2, v.rt3, v.rt4, v.rt5, v.rt6, v.rtPlus, v.trialRetention, v.dailyNewSubs};
}

CalibrationRanges rangesFor(const CalibrationRanges& found, LaterChoice choice) {
    CalibrationRanges ranges = found;
    if (choice == LaterChoice::Curve) {
        ranges.rtPlus.reset();
    }
    return ranges;
}

std::array<FittedValue, 9> fittedValues(const Calibration& fitted, const CalibrationRanges* found,
                                        const ScenarioValues& today) {
    const auto applied = fittedValueFields(fitted.appliedTo(today));
    std::array<FittedValue, 9> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const bool given =
            i < 7 || (i == 7 ? fitted.trialRetention.has_value() : fitted.dailyNewSubs.has_value());
        if (given) {
            values[i].value = applied[i];
        }
        values[i].fromModel = i < 6 && !fitted.rates.observed[i];
    }
    const std::optional<CalibrationRanges> held =
        found != nullptr ? std::optional(rangesFor(*found, fitted.recommended)) : std::nullopt;
    if (const CalibrationRanges* ranges = held ? &*held : nullptr) {
        for (std::size_t i = 0; i < 6; ++i) {
            values[i].range = ranges->rates[i];
        }
        values[6].range = ranges->rtPlus;
        values[7].range = ranges->trialRetention;
        values[8].range = ranges->dailyNewSubs;
    }
    for (FittedValue& value : values) {
        if (!value.value) {
            value.range.reset();
        }
    }
    return values;
}

void writeCalibrationCsv(const CohortTable* table, const Calibration* fitted,
                         const CalibrationRanges* ranges, const ScenarioValues& today,
                         std::ostream& out) {
    const auto todays = fittedValueFields(today);
    std::array<FittedValue, 9> found{};
    if (fitted != nullptr) {
        found = fittedValues(*fitted, ranges, today);
    }
    out << "value,fitted,low,high,today\n";
    for (std::size_t i = 0; i < found.size(); ++i) {
        const auto& range = found[i].range;
        out << fittedValueNames[i] << ',' << field(found[i].value) << ','
            << (range ? field(range->low) : std::string()) << ','
            << (range ? field(range->high) : std::string()) << ',' << field(todays[i]) << '\n';
    }
    if (fitted != nullptr) {
        const LaterChoice chosen = fitted->recommended;
        out << "\nkey,value\nmodel,sBG\nalpha," << field(fitted->model.alpha) << "\nbeta,"
            << field(fitted->model.beta) << "\nfitError," << field(fitted->fit.of(chosen).error)
            << "\nmodelFitError," << field(fitted->fit.model.error) << "\nfitCells,"
            << fitted->fit.projection.cells << '\n';
        if (const auto& backtest = fitted->backtest) {
            out << "holdout," << backtest->holdout << "\nbacktestError,"
                << field(backtest->errors.of(chosen).error) << "\nmodelBacktestError,"
                << field(backtest->errors.model.error) << "\nbacktestCells,"
                << backtest->errors.projection.cells << '\n';
        }
        out << "horizon," << fitted->horizon << '\n';
        if (fitted->rates.later) {
            out << "recommended," << choiceName(chosen);
            for (const LaterChoice choice : {LaterChoice::Curve, LaterChoice::Constant}) {
                const std::string name = choiceName(choice);
                out << '\n'
                    << name << "RtPlus," << field(fitted->ratesOf(choice).rtPlus) << '\n'
                    << name << "FitError," << field(fitted->fit.of(choice).error) << '\n'
                    << name << "BacktestError,"
                    << (fitted->backtest ? field(fitted->backtest->errors.of(choice).error)
                                         : std::string());
            }
            out << "\n\nrenewal,laterRate\n";
            const auto& later = fitted->curve.laterRates;
            for (std::size_t i = 0; i < later.size(); ++i) {
                out << i + 7 << ',' << field(later[i]) << '\n';
            }
        }
    }
    if (table != nullptr) {
        out << '\n';
        writeTable(*table, out);
    }
}

}  // namespace velmora
