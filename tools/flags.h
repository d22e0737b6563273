#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/cli.h"

// The flags of velmora-project, one entry each: the parser, `--help` and
// `withFlags` all read the one table, so they cannot disagree. A new flag is a
// new entry in flags.cpp (and, when it needs one, a field of `Options`).
namespace velmora::cli {

/// What is wrong with a flag's value, or nothing.
using Problem = std::optional<std::string>;

struct Flag {
    std::string_view name;     ///< "--months"
    std::string_view metavar;  ///< "N" in the usage text; empty for a switch, which takes no value
    std::string_view help;     ///< the usage text's line
    std::string (*defaultText)();  ///< in brackets after the line
    /// Applies the value (empty for a switch) to `options`, in the order the
    /// flags were given, or says what is wrong with it.
    Problem (*set)(std::string_view value, Options& options);
    /// For a flag that sets a scenario field: copies that field.
    void (*copy)(const ScenarioValues& from, ScenarioValues& to) = nullptr;
    /// Another flag this one means nothing without ("--scenario").
    std::string_view needs = {};
    /// Whether the flag asks a question: at most one such flag may be given.
    bool asks = false;
    /// Whether the flag may be given more than once, each time adding a value.
    bool repeats = false;
};

/// Every flag in the order `--help` lists them.
[[nodiscard]] std::span<const Flag> allFlags();

/// The flag called `name` ("--months"), or null.
[[nodiscard]] const Flag* findFlag(std::string_view name);

/// The names of the metrics joined by ", ", as the usage text lists them.
[[nodiscard]] std::string metricList();

}  // namespace velmora::cli
