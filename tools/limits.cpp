// The size limits of what the tool builds and writes.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/projection/calculation.h"
#include "engine/support/shortest_text.h"
#include "tools/cli.h"
#include "tools/number_text.h"

namespace velmora::cli {

namespace {

std::string counted(std::int64_t count, std::string_view unit) {
    std::string text = groupedInteger(count) + ' ';
    text += unit;
    if (count != 1) {
        text += 's';
    }
    return text;
}

double digitCount(std::int64_t value) {
    return value < 10 ? 1 : std::floor(std::log10(static_cast<double>(value))) + 1;
}

// What `writeJson` writes for a projection of `size`, at most: every snapshot
// and cohort record with its fixed text and the longest number of each field.
double jsonBytes(const ProjectionSize& size) {
    constexpr double header = 512;  // the inputs and the lifetime value
    constexpr double uuid = 36;
    constexpr double number = 24;  // "-1.7976931348623157e+308"
    const double epoch = digitCount(size.epochs);
    // {"id":"…","epoch":E,"active":N,"cohorts":[…]},\n
    const double snapshot = 43 + uuid + epoch + number;
    // {"id":"…","epoch":E,"cohort":"L","count":N}, with L a month, maybe negative
    const double record = 40 + uuid + epoch + digitCount(size.months) + 1 + number;
    const auto snapshots = static_cast<double>(size.epochs + size.months);
    return header + snapshots * snapshot + size.cohortRecords * record;
}

// The engine projects nothing for day counts beyond 64 bits; asking for that
// many is a mistake worth reporting, not an empty result.
std::optional<std::string> beyondAnyLimit(const ScenarioValues& values) {
    if (values.monthsToProject > -1 && values.monthDuration > 0) {
        return shortest(values.monthsToProject) + " months of " +
               counted(values.monthDuration, "day") + " is far beyond the limit of " +
               byteText(maxProjectionBytes);
    }
    return std::nullopt;
}

std::string extentOf(const ProjectionSize& size) {
    return counted(size.months, "month") + " of " + counted(size.monthDuration, "day");
}

// Monthly figures only, a few hundred bytes a month: each month's first day
// sums every cohort alive on it, which takes far longer than the months'
// memory, at most a few hundred MiB, grows.
std::optional<std::string> monthsTooLarge(const ProjectionSize& size) {
    if (size.cohortRecords > maxCohortMonths) {
        return extentOf(size) + " would take about " + scientificText(size.cohortRecords) +
               " cohort-months of work; the limit is " + scientificText(maxCohortMonths);
    }
    return std::nullopt;
}

// The spread advances every draw a month at a time in closed form, whatever
// the month's length, and keeps and writes a line of percentiles a month.
std::optional<std::string> spreadTooLarge(const ProjectionSize& size, std::int64_t draws) {
    constexpr double bytesPerMonth = 256;
    const auto months = static_cast<double>(size.months);
    if (months * bytesPerMonth > maxProjectionBytes) {
        return extentOf(size) + " would write about " + byteText(months * bytesPerMonth) +
               " of percentiles; the limit is " + byteText(maxProjectionBytes);
    }
    const double work = months * static_cast<double>(std::max<std::int64_t>(draws, 1));
    if (work > maxDrawMonths) {
        return counted(draws, "draw") + " of " + extentOf(size) + " would take about " +
               scientificText(work) + " draw-months of work; the limit is " +
               scientificText(maxDrawMonths);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> questionTooLarge(const Options& options, const ScenarioValues& values) {
    const auto size = projectionSize(values);
    if (!size) {
        return beyondAnyLimit(values);
    }
    if (size->epochs == 0) {
        return std::nullopt;
    }
    return options.question == Question::Simulate ? spreadTooLarge(*size, options.draws)
                                                  : monthsTooLarge(*size);
}

std::optional<std::string> projectionTooLarge(const ScenarioValues& values,
                                              std::optional<OutputFormat> written) {
    const auto size = projectionSize(values);
    if (!size) {
        return beyondAnyLimit(values);
    }
    if (size->epochs == 0) {
        return std::nullopt;
    }
    const std::string extent = extentOf(*size);
    if (written == OutputFormat::Table || written == OutputFormat::Csv) {
        return monthsTooLarge(*size);
    }
    if (size->estimatedBytes() > maxProjectionBytes) {
        return extent + " would need about " + byteText(size->estimatedBytes()) +
               "; the limit is " + byteText(maxProjectionBytes);
    }
    if (size->cohortDays > maxCohortDays) {
        return extent + " would take about " + scientificText(size->cohortDays) +
               " cohort-days of work; the limit is " + scientificText(maxCohortDays);
    }
    if (written == OutputFormat::Json && jsonBytes(*size) > maxProjectionBytes) {
        return extent + " would write about " + byteText(jsonBytes(*size)) +
               " of JSON; the limit is " + byteText(maxProjectionBytes);
    }
    return std::nullopt;
}

}  // namespace velmora::cli
