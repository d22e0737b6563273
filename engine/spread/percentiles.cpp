#include "engine/spread/percentiles.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <limits>

namespace velmora {

namespace {

constexpr std::size_t rankCount = 2 * shownPercents.size();
constexpr int binBits = 11;
constexpr std::size_t binCount = std::size_t{1} << binBits;
/// Below this many values, selecting among all of them is as quick as binning.
constexpr std::size_t directLimit = 2 * binCount;
constexpr std::uint8_t noSlot = 0xff;
constexpr std::uint64_t signBit = std::uint64_t{1} << 63;

/// An integer that orders as the number does, not-a-number last: the bits of a
/// positive number with the sign bit set, those of a negative one inverted.
/// Whole binades and the spacing within each stay apart, so a sample spread
/// over many powers of ten still fills many bins.
std::uint64_t orderKey(double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const std::uint64_t flip = (bits & signBit) != 0 ? ~std::uint64_t{0} : signBit;
    return value != value ? ~std::uint64_t{0} : bits ^ flip;
}

double fromOrderKey(std::uint64_t key) {
    if (key == ~std::uint64_t{0}) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return std::bit_cast<double>((key & signBit) != 0 ? key ^ signBit : ~key);
}

/// Puts the keys at the ascending `ranks` (relative to `keys`) into `out`,
/// reordering `keys`.
void selectAscending(std::span<std::uint64_t> keys, std::span<const std::size_t> ranks,
                     std::span<std::uint64_t> out) {
    std::size_t from = 0;
    for (std::size_t i = 0; i < ranks.size(); ++i) {
        if (i > 0 && ranks[i] == ranks[i - 1]) {
            out[i] = out[i - 1];
            continue;
        }
        // Everything before `from` is at most the key selected last.
        std::nth_element(keys.begin() + static_cast<std::ptrdiff_t>(from),
                         keys.begin() + static_cast<std::ptrdiff_t>(ranks[i]), keys.end());
        out[i] = keys[ranks[i]];
        from = ranks[i] + 1;
    }
}

/// The keys of `sample` at the ascending `ranks`.
void selectRanks(std::span<const double> sample, std::span<const std::size_t, rankCount> ranks,
                 std::span<std::uint64_t, rankCount> out, SelectionScratch& scratch) {
    std::vector<std::uint64_t>& keys = scratch.keys;
    if (sample.size() <= directLimit) {
        keys.resize(sample.size());
        std::transform(sample.begin(), sample.end(), keys.begin(), orderKey);
        selectAscending(keys, ranks, out);
        return;
    }
    std::uint64_t least = ~std::uint64_t{0};
    std::uint64_t most = 0;
    for (const double value : sample) {
        const std::uint64_t key = orderKey(value);
        least = std::min(least, key);
        most = std::max(most, key);
    }
    if (least == most) {
        std::fill(out.begin(), out.end(), least);
        return;
    }
    const auto width = static_cast<int>(std::bit_width(most - least));
    const int shift = std::max(0, width - binBits);
    const auto binOf = [least, shift](std::uint64_t key) {
        return static_cast<std::size_t>((key - least) >> shift);
    };

    std::vector<std::uint32_t>& counts = scratch.counts;
    counts.assign(binCount, 0);
    for (const double value : sample) {
        ++counts[binOf(orderKey(value))];
    }
    // The bin of each rank and how many keys lie in the bins below it.
    std::array<std::size_t, rankCount> rankBin{};
    std::array<std::size_t, rankCount> below{};
    std::size_t next = 0;
    std::size_t seen = 0;
    for (std::size_t bin = 0; bin < binCount && next < rankCount; ++bin) {
        for (; next < rankCount && ranks[next] < seen + counts[bin]; ++next) {
            rankBin[next] = bin;
            below[next] = seen;
        }
        seen += counts[bin];
    }
    // Gather the keys of those bins, each bin's together, and select within them.
    std::vector<std::uint8_t>& slots = scratch.binSlots;
    slots.assign(binCount, noSlot);
    std::array<std::size_t, rankCount> start{};
    std::array<std::size_t, rankCount> fill{};
    std::size_t gathered = 0;
    std::uint8_t targets = 0;
    for (std::size_t i = 0; i < rankCount; ++i) {
        if (slots[rankBin[i]] == noSlot) {
            slots[rankBin[i]] = targets;
            start[targets] = fill[targets] = gathered;
            gathered += counts[rankBin[i]];
            ++targets;
        }
    }
    keys.resize(gathered);
    for (const double value : sample) {
        const std::uint64_t key = orderKey(value);
        const std::uint8_t slot = slots[binOf(key)];
        if (slot != noSlot) {
            keys[fill[slot]++] = key;
        }
    }
    for (std::size_t i = 0; i < rankCount;) {
        const std::uint8_t slot = slots[rankBin[i]];
        std::size_t end = i;
        std::array<std::size_t, rankCount> local{};
        for (; end < rankCount && rankBin[end] == rankBin[i]; ++end) {
            local[end - i] = ranks[end] - below[end];
        }
        const std::span<std::uint64_t> segment(keys.data() + start[slot], counts[rankBin[i]]);
        selectAscending(segment, std::span(local.data(), end - i), out.subspan(i, end - i));
        i = end;
    }
}

}  // namespace

Percentiles PercentileBounds::percentiles() const {
    assert(count >= 1);
    std::array<double, 3> values{};
    for (std::size_t i = 0; i < shownPercents.size(); ++i) {
        const auto scaled = (count - 1) * static_cast<std::size_t>(shownPercents[i]);
        const double fraction = static_cast<double>(scaled % 100) / 100;
        const double low = lower[i];
        const double high = upper[i];
        double value = low;
        if (fraction != 0) {
            const double width = high - low;
            value = std::isfinite(width) ? low + fraction * width
                                         : (1 - fraction) * low + fraction * high;
        }
        values[i] = value + 0.0;  // -0 reads as 0
    }
    return {values[0], values[1], values[2]};
}

PercentileBounds percentileBounds(std::span<const double> sample, SelectionScratch& scratch) {
    assert(!sample.empty());
    const std::size_t last = sample.size() - 1;
    // The ranks needed, ascending, with where each one's value goes.
    std::array<std::pair<std::size_t, std::size_t>, rankCount> wanted{};
    for (std::size_t i = 0; i < shownPercents.size(); ++i) {
        const std::size_t rank = last * static_cast<std::size_t>(shownPercents[i]) / 100;
        wanted[2 * i] = {rank, 2 * i};
        wanted[2 * i + 1] = {std::min(rank + 1, last), 2 * i + 1};
    }
    std::sort(wanted.begin(), wanted.end());
    std::array<std::size_t, rankCount> ranks{};
    std::transform(wanted.begin(), wanted.end(), ranks.begin(),
                   [](const auto& entry) { return entry.first; });
    std::array<std::uint64_t, rankCount> keys{};
    selectRanks(sample, ranks, keys, scratch);

    PercentileBounds bounds;
    bounds.count = sample.size();
    for (std::size_t i = 0; i < rankCount; ++i) {
        const std::size_t place = wanted[i].second;
        (place % 2 == 0 ? bounds.lower : bounds.upper)[place / 2] = fromOrderKey(keys[i]);
    }
    return bounds;
}

Percentiles percentiles(std::span<const double> sample) {
    SelectionScratch scratch;
    return percentileBounds(sample, scratch).percentiles();
}

}  // namespace velmora
