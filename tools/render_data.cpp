#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/table/table_figures.h"
#include "tools/number_text.h"
#include "tools/render.h"

namespace velmora::cli {

namespace {

// A 600-month projection makes hundreds of megabytes of JSON, so text is
// gathered in a fixed buffer and handed to the stream in large blocks.
class BufferedOutput {
public:
    explicit BufferedOutput(std::ostream& out) : out_(out), buffer_(capacity) {}
    BufferedOutput(const BufferedOutput&) = delete;
    BufferedOutput& operator=(const BufferedOutput&) = delete;
    ~BufferedOutput() { flush(); }

    void text(std::string_view text) {
        if (text.size() > capacity - used_) {
            flush();
            if (text.size() > capacity) {
                out_.write(text.data(), static_cast<std::streamsize>(text.size()));
                return;
            }
        }
        std::memcpy(buffer_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }

    void number(double value) {
        char* first = reserve(shortestCapacity);
        used_ += static_cast<std::size_t>(writeShortest(first, value) - first);
    }

    // Non-finite numbers have no JSON form of their own.
    void jsonNumber(double value) {
        if (std::isfinite(value)) {
            number(value);
        } else {
            text("\"");
            number(value);
            text("\"");
        }
    }

    void integer(std::int64_t value) {
        char* first = reserve(integerCapacity);
        used_ += static_cast<std::size_t>(std::to_chars(first, first + integerCapacity, value).ptr -
                                          first);
    }

    // Same text as Uuid::toString, without a string per record.
    void uuid(const Uuid& id) {
        static constexpr char digits[] = "0123456789abcdef";
        char* first = reserve(36);
        const std::uint64_t words[] = {id.high, id.low};
        for (int i = 0; i < 32; ++i) {
            if (i == 8 || i == 12 || i == 16 || i == 20) {
                *first++ = '-';
            }
            const std::uint64_t word = words[i / 16];
            *first++ = digits[(word >> (60 - 4 * (i % 16))) & 0xFU];
        }
        used_ += 36;
    }

    void flush() {
        out_.write(buffer_.data(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

private:
    static constexpr std::size_t capacity = 1 << 16;
    static constexpr std::size_t integerCapacity = 24;

    char* reserve(std::size_t size) {
        if (size > capacity - used_) {
            flush();
        }
        return buffer_.data() + used_;
    }

    std::ostream& out_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

void writeCohort(BufferedOutput& out, const SubscriptionCohort& cohort) {
    out.text("{\"id\":\"");
    out.uuid(cohort.id);
    out.text("\",\"epoch\":");
    out.integer(cohort.epoch);
    out.text(",\"cohort\":\"");
    out.integer(cohort.cohort.value());
    out.text("\",\"count\":");
    out.jsonNumber(cohort.count);
    out.text("}");
}

void writeSnapshots(BufferedOutput& out, const std::vector<SubscriptionSnapshot>& snapshots) {
    out.text("[");
    const char* separator = "\n";
    for (const SubscriptionSnapshot& snapshot : snapshots) {
        out.text(separator);
        separator = ",\n";
        out.text("{\"id\":\"");
        out.uuid(snapshot.id);
        out.text("\",\"epoch\":");
        out.integer(snapshot.epoch);
        out.text(",\"active\":");
        out.jsonNumber(snapshot.active);
        out.text(",\"cohorts\":[");
        for (std::size_t i = 0; i < snapshot.cohorts.size(); ++i) {
            if (i > 0) {
                out.text(",");
            }
            writeCohort(out, snapshot.cohorts[i]);
        }
        out.text("]}");
    }
    out.text("\n]");
}

// The plan as a document holds it, its members in the same order.
void writePlan(BufferedOutput& json, const Plan& plan) {
    json.text(",\"plan\":{\"priceChangesApply\":\"");
    json.text(plan.priceChangesApply == PriceChangesApply::Everyone ? "all" : "new");
    json.text("\"");
    if (plan.growthPercent) {
        json.text(",\"growth\":");
        json.jsonNumber(*plan.growthPercent);
    }
    if (plan.growthUntil) {
        json.text(",\"growthUntil\":");
        json.integer(*plan.growthUntil);
    }
    if (plan.startMonth) {
        char month[16];
        std::snprintf(month, sizeof month, "\"%04d-%02d\"", plan.startMonth->year,
                      plan.startMonth->month);
        json.text(",\"startMonth\":");
        json.text(month);
    }
    if (plan.seasonality) {
        json.text(",\"seasonality\":[");
        for (std::size_t i = 0; i < plan.seasonality->size(); ++i) {
            json.text(i == 0 ? "" : ",");
            json.jsonNumber((*plan.seasonality)[i]);
        }
        json.text("]");
    }
    json.text(",\"changes\":[");
    for (std::size_t i = 0; i < plan.changes.size(); ++i) {
        json.text(i == 0 ? "{\"input\":\"" : ",{\"input\":\"");
        json.text(planInputName(plan.changes[i].input));
        json.text("\",\"month\":");
        json.integer(plan.changes[i].month);
        json.text(",\"value\":");
        json.jsonNumber(plan.changes[i].value);
        json.text("}");
    }
    json.text("]}");
}

}  // namespace

void writeJson(const ScenarioValues& values, const SubscriptionCalculation& projection,
               std::ostream& out) {
    BufferedOutput json(out);
    json.text("{\"inputs\":{\"monthDuration\":");
    json.integer(values.monthDuration);
    const std::pair<std::string_view, double> inputs[] = {
        {"monthsToProject", values.monthsToProject},
        {"dailyNewSubs", values.dailyNewSubs},
        {"startingSubs", values.startingSubs},
        {"price", values.price},
        {"trialRetention", values.trialRetention},
        {"rt1", values.rt1},
        {"rt2", values.rt2},
        {"rt3", values.rt3},
        {"rt4", values.rt4},
        {"rt5", values.rt5},
        {"rt6", values.rt6},
        {"rtPlus", values.rtPlus},
    };
    for (const auto& [name, value] : inputs) {
        json.text(",\"");
        json.text(name);
        json.text("\":");
        json.jsonNumber(value);
    }
    if (!values.laterRates.empty()) {
        json.text(",\"laterRates\":[");
        for (std::size_t i = 0; i < values.laterRates.size(); ++i) {
            json.text(i == 0 ? "" : ",");
            json.jsonNumber(values.laterRates[i]);
        }
        json.text("]");
    }
    if (values.plan) {
        writePlan(json, *values.plan);
    }
    json.text("},\n\"lifetimeValuePerTrial\":");
    json.jsonNumber(shownLifetimeValue(values, values.price));
    json.text(",\n\"snapshots\":");
    writeSnapshots(json, projection.snapshots);
    json.text(",\n\"monthlySnapshots\":");
    writeSnapshots(json, projection.monthlySnapshots);
    json.text("}\n");
}

}  // namespace velmora::cli
