#include "engine/projection/records.h"

namespace velmora {

CohortLabel CohortLabel::forStartEpoch(std::int64_t startEpoch, std::int64_t monthDuration) {
    if (startEpoch >= 0) {
        return CohortLabel(startEpoch / monthDuration);
    }
    // Truncation toward zero, then one more step down, also on exact boundaries.
    const std::uint64_t daysBefore = 0 - static_cast<std::uint64_t>(startEpoch);
    const auto whole =
        static_cast<std::int64_t>(daysBefore / static_cast<std::uint64_t>(monthDuration));
    return CohortLabel(-whole - 1);
}

namespace {

class RecordSource final : public CohortList::Source {
public:
    explicit RecordSource(std::vector<SubscriptionCohort> records) : records_(std::move(records)) {}
    SubscriptionCohort at(std::size_t position) const override { return records_[position]; }

private:
    std::vector<SubscriptionCohort> records_;
};

}  // namespace

CohortList::CohortList(std::vector<SubscriptionCohort> cohorts) : size_(cohorts.size()) {
    if (!cohorts.empty()) {
        source_ = std::make_shared<const RecordSource>(std::move(cohorts));
    }
}

bool operator==(const CohortList& a, const CohortList& b) {
    if (a.size_ != b.size_) {
        return false;
    }
    for (std::size_t i = 0; i < a.size_; ++i) {
        if (!(a[i] == b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace velmora
