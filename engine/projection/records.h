#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "engine/support/uuid.h"

namespace velmora {

/// The label of a cohort: the number of the month in which its first paid
/// period began, negative for the cohorts that stand for the starting
/// subscribers. Held as an integer; its text form is the plain decimal.
class CohortLabel {
public:
    constexpr CohortLabel() = default;
    constexpr explicit CohortLabel(std::int64_t value) : value_(value) {}

    /// The label of a cohort whose first paid period began on `startEpoch`,
    /// with months of `monthDuration` days (which must be positive). A start
    /// exactly on a negative month boundary belongs to the month before it:
    /// -30 with 30-day months is labelled -2, not -1.
    static CohortLabel forStartEpoch(std::int64_t startEpoch, std::int64_t monthDuration);

    [[nodiscard]] constexpr std::int64_t value() const { return value_; }
    /// Decimal text: "0", "12", "-7".
    [[nodiscard]] std::string text() const { return std::to_string(value_); }

    friend constexpr bool operator==(CohortLabel, CohortLabel) = default;

private:
    std::int64_t value_ = 0;
};

/// The live subscriber count of one cohort while a projection is computed.
/// It has identity, not value semantics: holders share one instance.
class SubscriptionPeriod {
public:
    SubscriptionPeriod(std::int64_t startEpoch, bool startingSubscription, double subscribers)
        : startEpoch(startEpoch),
          startingSubscription(startingSubscription),
          subscribers(subscribers) {}
    SubscriptionPeriod(const SubscriptionPeriod&) = delete;
    SubscriptionPeriod& operator=(const SubscriptionPeriod&) = delete;

    const std::int64_t startEpoch;
    const bool startingSubscription;
    double subscribers;
};

/// One cohort's share of a snapshot. Records made separately never compare
/// equal, because each draws its own id.
struct SubscriptionCohort {
    SubscriptionCohort(Uuid id, std::int64_t epoch, CohortLabel cohort, double count)
        : id(id), epoch(epoch), cohort(cohort), count(count) {}
    SubscriptionCohort(UuidGenerator& ids, std::int64_t epoch, CohortLabel cohort, double count)
        : SubscriptionCohort(ids.next(), epoch, cohort, count) {}

    Uuid id;
    std::int64_t epoch;  ///< month number of the snapshot holding this record
    CohortLabel cohort;
    double count;

    friend bool operator==(const SubscriptionCohort&, const SubscriptionCohort&) = default;
};

/// A breakdown record without its id: what a chart needs of it, cheap to read
/// in bulk.
struct CohortCount {
    std::int64_t epoch;
    CohortLabel cohort;
    double count;
};

/// The cohort breakdown of a snapshot: an immutable list of records. Copies
/// share the records, so copying a snapshot is cheap. A projection holds its
/// millions of breakdown records compactly and makes each record when it is
/// read, always the same record for the same position.
class CohortList {
public:
    /// Where the records of a list come from.
    class Source {
    public:
        virtual ~Source() = default;
        [[nodiscard]] virtual SubscriptionCohort at(std::size_t position) const = 0;
        /// Writes the records from `first` on, without their ids, into `out`.
        virtual void readCounts(std::size_t first, std::span<CohortCount> out) const {
            for (std::size_t i = 0; i < out.size(); ++i) {
                const SubscriptionCohort record = at(first + i);
                out[i] = {record.epoch, record.cohort, record.count};
            }
        }

    protected:
        Source() = default;
        Source(const Source&) = default;
        Source& operator=(const Source&) = default;
    };

    class Iterator {
    public:
        using value_type = SubscriptionCohort;
        using difference_type = std::ptrdiff_t;

        Iterator() = default;
        Iterator(const CohortList* list, std::size_t position) : list_(list), position_(position) {}
        SubscriptionCohort operator*() const { return (*list_)[position_]; }
        Iterator& operator++() {
            ++position_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++position_;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) {
            return a.position_ == b.position_;
        }

    private:
        const CohortList* list_ = nullptr;
        std::size_t position_ = 0;
    };

    CohortList() = default;
    CohortList(std::initializer_list<SubscriptionCohort> cohorts)
        : CohortList(std::vector<SubscriptionCohort>(cohorts)) {}
    CohortList(std::vector<SubscriptionCohort> cohorts);
    /// The first `size` records of `source`.
    CohortList(std::shared_ptr<const Source> source, std::size_t size)
        : source_(std::move(source)), size_(size) {}

    [[nodiscard]] std::size_t size() const { return size_; }
    [[nodiscard]] bool empty() const { return size_ == 0; }
    [[nodiscard]] SubscriptionCohort operator[](std::size_t i) const { return source_->at(i); }
    [[nodiscard]] SubscriptionCohort front() const { return (*this)[0]; }
    [[nodiscard]] SubscriptionCohort back() const { return (*this)[size_ - 1]; }
    /// The records from `first` on, without their ids, into `out` (which must
    /// not reach past the end): many times faster than reading the records.
    void readCounts(std::size_t first, std::span<CohortCount> out) const {
        if (!out.empty()) {
            source_->readCounts(first, out);
        }
    }
    [[nodiscard]] Iterator begin() const { return {this, 0}; }
    [[nodiscard]] Iterator end() const { return {this, size_}; }

    /// Same length, and equal records at every position.
    friend bool operator==(const CohortList& a, const CohortList& b);

private:
    std::shared_ptr<const Source> source_;
    std::size_t size_ = 0;
};

/// The subscriber base at one epoch (a day in the daily list, a month number in
/// the monthly list).
struct SubscriptionSnapshot {
    SubscriptionSnapshot(Uuid id, std::int64_t epoch, double active, CohortList cohorts)
        : id(id), epoch(epoch), active(active), cohorts(std::move(cohorts)) {}
    SubscriptionSnapshot(UuidGenerator& ids, std::int64_t epoch, double active, CohortList cohorts)
        : SubscriptionSnapshot(ids.next(), epoch, active, std::move(cohorts)) {}

    Uuid id;
    std::int64_t epoch;
    double active;
    CohortList cohorts;

    friend bool operator==(const SubscriptionSnapshot&, const SubscriptionSnapshot&) = default;
};

}  // namespace velmora
