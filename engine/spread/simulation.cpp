#include "engine/spread/simulation.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <stdexcept>
#include <thread>

#include "engine/decisions/economics.h"
#include "engine/decisions/settle_point.h"
#include "engine/projection/calculation.h"
#include "engine/projection/closed_form.h"
#include "engine/table/table_figures.h"

namespace velmora {

namespace {

constexpr std::array<std::string_view, allSpreadFigures.size()> figureNames = {
    "subscribers",       "monthlyProceeds", "annualProceeds", "lifetimeValue",
    "settleSubscribers", "breakEvenMonth",  "cashNeeded"};

double settleSubscribers(const ScenarioValues& values) {
    const SettlePoint point = settlePoint(values, {});
    switch (point.kind) {
        case SettlePoint::Kind::Settles:
            return point.subscribers;
        case SettlePoint::Kind::GrowsWithoutBound:
            return std::numeric_limits<double>::infinity();
        case SettlePoint::Kind::CannotCompute:
            break;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

/// What one thread computes: the spread of months `first` to `end` - 1, and
/// the cash turn of draws `firstDraw` to `endDraw` - 1.
struct MonthBlock {
    std::size_t first = 0;
    std::size_t end = 0;
    std::size_t firstDraw = 0;
    std::size_t endDraw = 0;
    std::exception_ptr failure;
};

class Simulation {
public:
    Simulation(const ScenarioValues& values, std::span<const Range> ranges,
               const SpreadSettings& settings, std::stop_token stop)
        : laterRates_(values.laterRates),
          draws_(drawScenarios(withoutLaterRates(values), ranges,
                               static_cast<std::size_t>(settings.draws), settings.seed)),
          stop_(std::move(stop)) {
        spread_.draws = settings.draws;
        spread_.seed = settings.seed;
        const auto size = projectionSize(values);
        if (size && size->epochs > 0) {
            monthDuration_ = size->monthDuration;
            spread_.months.resize(static_cast<std::size_t>(size->months));
        }
        // One price for every draw turns the subscribers' order statistics into
        // the proceeds' without selecting again.
        const double price = values.price;
        const bool priceRanged = std::any_of(ranges.begin(), ranges.end(), [](const Range& r) {
            return r.input == Input::Price && r.low != r.high;
        });
        if (!priceRanged && price > 0 && std::isfinite(price) && !plansProjection(values)) {
            sharedPrice_ = price;
        }
        if (hasCost(values) && !spread_.months.empty()) {
            breakEvenMonths_.resize(draws_.size());
            cashNeeded_.resize(draws_.size());
        }
    }

    std::optional<Spread> run(unsigned threads) {
        const std::size_t months = spread_.months.size();
        const std::size_t blockCount =
            std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(months, 1));
        std::vector<MonthBlock> blocks(blockCount);
        for (std::size_t i = 0; i < blockCount; ++i) {
            blocks[i].first = months * i / blockCount;
            blocks[i].end = months * (i + 1) / blockCount;
            blocks[i].firstDraw = draws_.size() * i / blockCount;
            blocks[i].endDraw = draws_.size() * (i + 1) / blockCount;
        }
        {
            std::vector<std::jthread> helpers;
            for (std::size_t i = 1; i < blockCount; ++i) {
                helpers.emplace_back([this, &blocks, i] { runBlock(blocks[i]); });
            }
            summarizeDraws();
            runBlock(blocks[0]);
        }
        for (const MonthBlock& block : blocks) {
            if (block.failure) {
                std::rethrow_exception(block.failure);
            }
        }
        if (stop_.stop_requested()) {
            return std::nullopt;
        }
        if (months > 0) {
            const MonthSpread& last = spread_.months.back();
            set(SpreadFigure::Subscribers, last.active);
            set(SpreadFigure::MonthlyProceeds, last.monthlyProceeds);
            set(SpreadFigure::AnnualProceeds, lastProceeds_
                                                  .mapped([this](double proceeds) {
                                                      return annualized(proceeds, monthDuration_);
                                                  })
                                                  .percentiles());
        }
        if (!breakEvenMonths_.empty()) {
            SelectionScratch scratch;
            set(SpreadFigure::BreakEvenMonth,
                percentileBounds(breakEvenMonths_, scratch).percentiles());
            set(SpreadFigure::CashNeeded, percentileBounds(cashNeeded_, scratch).percentiles());
        }
        return std::move(spread_);
    }

private:
    void set(SpreadFigure figure, const Percentiles& percentiles) {
        spread_.figures[static_cast<std::size_t>(figure)] = percentiles;
    }

    /// The values without their later rates, which no range moves: the draws
    /// share them instead of holding a copy each.
    static ScenarioValues withoutLaterRates(ScenarioValues values) {
        values.laterRates.clear();
        return values;
    }

    /// The figures that each draw has apart from its months.
    void summarizeDraws() {
        std::vector<double> sample(draws_.size());
        SelectionScratch scratch;
        ScenarioValues whole;  // one draw with the later rates, reusing its storage
        const auto spreadOf = [&](SpreadFigure figure, auto of) {
            std::transform(draws_.begin(), draws_.end(), sample.begin(),
                           [&](const ScenarioValues& draw) {
                               whole = draw;
                               whole.laterRates.assign(laterRates_.begin(), laterRates_.end());
                               return of(whole);
                           });
            set(figure, percentileBounds(sample, scratch).percentiles());
        };
        spreadOf(SpreadFigure::LifetimeValue,
                 [](const ScenarioValues& draw) { return shownLifetimeValue(draw, draw.price); });
        spreadOf(SpreadFigure::SettleSubscribers, settleSubscribers);
    }

    void runBlock(MonthBlock& block) {
        try {
            spreadMonths(block);
            if (!breakEvenMonths_.empty()) {
                walkCash(block.firstDraw, block.endDraw);
            }
        } catch (...) {
            block.failure = std::current_exception();
        }
    }

    void spreadMonths(const MonthBlock& block) {
        if (block.first == block.end) {
            return;
        }
        MonthlyRecurrence recurrence(draws_, monthDuration_, laterRates_);
        for (std::size_t month = 0; month < block.first; ++month) {
            recurrence.skip();
        }
        std::vector<double> actives(draws_.size());
        std::vector<double> proceeds(draws_.size());
        SelectionScratch scratch;
        for (std::size_t month = block.first; month < block.end; ++month) {
            if (stop_.stop_requested()) {
                return;
            }
            if (sharedPrice_) {
                recurrence.next(actives);
            } else {
                recurrence.next(actives, proceeds);
            }
            const PercentileBounds active = percentileBounds(actives, scratch);
            PercentileBounds proceedsBounds;
            if (sharedPrice_) {
                proceedsBounds = active.mapped(
                    [price = *sharedPrice_](double x) { return monthlyProceeds(x, price); });
            } else {
                proceedsBounds = percentileBounds(proceeds, scratch);
            }
            spread_.months[month] = {active.percentiles(), proceedsBounds.percentiles()};
            if (month + 1 == spread_.months.size()) {
                lastProceeds_ = proceedsBounds;
            }
        }
    }

    /// The cash turn of each of draws `first` to `end` - 1, walking their
    /// months side by side.
    void walkCash(std::size_t first, std::size_t end) {
        const std::span<const ScenarioValues> draws = std::span(draws_).subspan(first, end - first);
        if (draws.empty()) {
            return;
        }
        MonthlyRecurrence recurrence(draws, monthDuration_, laterRates_);
        std::vector<CashWalk> walks;
        walks.reserve(draws.size());
        for (const ScenarioValues& draw : draws) {
            if (pricesByStart(draw)) {  // its walk follows the cohorts, later rates and all
                ScenarioValues whole = draw;
                whole.laterRates = laterRates_;
                walks.emplace_back(whole);
            } else {
                walks.emplace_back(draw);
            }
        }
        std::vector<double> actives(draws.size());
        for (std::size_t month = 0; month < spread_.months.size(); ++month) {
            if (stop_.stop_requested()) {
                return;
            }
            recurrence.next(actives);
            for (std::size_t i = 0; i < draws.size(); ++i) {
                walks[i].add(actives[i]);
            }
        }
        for (std::size_t i = 0; i < draws.size(); ++i) {
            const CashTurn turn = walks[i].turn();
            breakEvenMonths_[first + i] = turn.breakEvenMonth
                                              ? static_cast<double>(*turn.breakEvenMonth)
                                              : std::numeric_limits<double>::infinity();
            cashNeeded_[first + i] = turn.cashNeeded;
        }
    }

    std::vector<double> laterRates_;
    std::vector<ScenarioValues> draws_;  ///< without their later rates
    std::stop_token stop_;
    std::int64_t monthDuration_ = 0;
    std::optional<double> sharedPrice_;
    Spread spread_;
    PercentileBounds lastProceeds_;
    // One per draw, when the scenario has a cost per trial.
    std::vector<double> breakEvenMonths_;
    std::vector<double> cashNeeded_;
};

}  // namespace

std::string_view spreadFigureName(SpreadFigure figure) {
    return figureNames[static_cast<std::size_t>(figure)];
}

std::optional<std::string> spreadProblem(const ScenarioValues& values,
                                         std::span<const Range> ranges,
                                         const SpreadSettings& settings) {
    if (settings.draws < 1 || settings.draws > maximumDraws) {
        return "The number of draws must lie from 1 to 100,000.";
    }
    return rangeProblem(values, ranges);
}

std::optional<Spread> simulateSpread(const ScenarioValues& values, std::span<const Range> ranges,
                                     const SpreadSettings& settings, std::stop_token stop) {
    if (const auto problem = spreadProblem(values, ranges, settings)) {
        throw std::invalid_argument(*problem);
    }
    const unsigned threads = settings.threads != 0
                                 ? settings.threads
                                 : std::max(1u, std::thread::hardware_concurrency());
    return Simulation(values, ranges, settings, std::move(stop)).run(threads);
}

}  // namespace velmora
