#include "ui/charts/cohort_bars.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <unordered_map>

namespace velmora {

namespace {

/// Consecutive records of one month, label and sign, summed.
struct CohortRun {
    std::int64_t epoch;
    std::int64_t label;
    double count;
    bool negative;

    [[nodiscard]] bool continues(const CohortRun& other) const {
        return epoch == other.epoch && label == other.label && negative == other.negative;
    }
};

using Runs = std::vector<CohortRun>;

/// Passes each run of `records` to `emit` once it has ended, the first one
/// continuing `open`; returns the run still open at the end, for the next
/// records to extend. Kept in a local, the open run stays in registers while
/// each record is made.
template <typename Records, typename Emit>
std::optional<CohortRun> addRuns(const Records& records, std::optional<CohortRun> open,
                                 Emit&& emit) {
    const std::size_t size = records.size();
    for (std::size_t i = 0; i < size; ++i) {
        const auto& record = records[i];
        const double count = record.count;
        const bool finite = std::isfinite(count);
        const std::int64_t label = record.cohort.value();
        // A count that is not finite joins whatever run its label is in and adds nothing.
        if (open && open->epoch == record.epoch && open->label == label &&
            (!finite || open->negative == (count < 0))) {
            if (finite) {
                open->count += count;
            }
            continue;
        }
        if (open) {
            emit(*open);
        }
        // A run that starts with a count that is not finite still gives its label a colour.
        open = CohortRun{record.epoch, label, finite ? count : 0.0, finite && count < 0};
    }
    return open;
}

/// Turns runs into stacked segments, one chunk after the other as if they were
/// one list.
class Stacker {
public:
    void add(const CohortRun& run) {
        if (pending_ && pending_->continues(run)) {
            pending_->count += run.count;
            return;
        }
        flush();
        pending_ = run;
    }

    CohortStack finish() {
        flush();
        closeBar();
        for (std::size_t i = 0; i < stack_.bars.size(); ++i) {
            const Ends& ends = endsByEpoch_[barEpochs_[i]];
            stack_.bars[i].total = ends.up + ends.down;
        }
        return std::move(stack_);
    }

private:
    struct Ends {
        double up = 0;
        double down = 0;
    };

    void flush() {
        if (!pending_) {
            return;
        }
        const CohortRun run = *pending_;
        pending_.reset();
        const auto colour = colours_.try_emplace(run.label, static_cast<int>(colours_.size()));
        if (!open_ || run.epoch != barEpoch_) {
            closeBar();
            open_ = true;
            barEpoch_ = run.epoch;
            ends_ = &endsByEpoch_[run.epoch];
            const std::size_t first = stack_.segments.size();
            bar_ = {static_cast<double>(run.epoch), 0, 0, 0, first, first};
        }
        double& end = run.negative ? ends_->down : ends_->up;
        const double base = end;
        const double top = base + run.count;
        end = top;
        if (top == base) {
            return;
        }
        stack_.segments.push_back({bar_.month, base, top, colour.first->second, run.label});
        bar_.low = std::min(bar_.low, top);
        bar_.high = std::max(bar_.high, top);
    }

    void closeBar() {
        if (!open_) {
            return;
        }
        open_ = false;
        bar_.end = stack_.segments.size();
        if (bar_.end > bar_.first) {
            stack_.bars.push_back(bar_);
            barEpochs_.push_back(barEpoch_);
        }
    }

    CohortStack stack_;
    std::optional<CohortRun> pending_;
    std::unordered_map<std::int64_t, int> colours_;
    // Node-based: the pointer to the current month's ends survives rehashing.
    std::unordered_map<std::int64_t, Ends> endsByEpoch_;
    Ends* ends_ = nullptr;
    CohortBar bar_{};
    std::int64_t barEpoch_ = 0;
    bool open_ = false;
    std::vector<std::int64_t> barEpochs_;
};

}  // namespace

std::vector<SubscriptionCohort> cohortBars(const SubscriptionCalculation& projection) {
    std::size_t total = 0;
    for (const SubscriptionSnapshot& snapshot : projection.snapshots) {
        total += snapshot.cohorts.size();
    }
    std::vector<SubscriptionCohort> records;
    records.reserve(total);
    for (const SubscriptionSnapshot& snapshot : projection.snapshots) {
        for (const SubscriptionCohort& record : snapshot.cohorts) {
            records.push_back(record);
        }
    }
    return records;
}

CohortStack stackCohorts(const std::vector<SubscriptionCohort>& records) {
    Stacker stacker;
    const auto last =
        addRuns(records, std::nullopt, [&](const CohortRun& run) { stacker.add(run); });
    if (last) {
        stacker.add(*last);
    }
    return stacker.finish();
}

CohortStack stackProjection(const SubscriptionCalculation& projection) {
    // Read in blocks through the lists' bulk reader: making each record (and
    // its id) would cost many times more than stacking it.
    constexpr std::size_t blockSize = 4096;
    std::vector<CohortCount> block(blockSize);
    Stacker stacker;
    std::optional<CohortRun> open;
    const auto emit = [&stacker](const CohortRun& run) { stacker.add(run); };
    for (const SubscriptionSnapshot& snapshot : projection.snapshots) {
        const CohortList& list = snapshot.cohorts;
        for (std::size_t first = 0; first < list.size(); first += blockSize) {
            const std::span<CohortCount> part(block.data(),
                                              std::min(blockSize, list.size() - first));
            list.readCounts(first, part);
            open = addRuns(part, open, emit);
        }
    }
    if (open) {
        stacker.add(*open);
    }
    return stacker.finish();
}

}  // namespace velmora
