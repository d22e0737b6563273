#include "tools/cli.h"

#include <algorithm>
#include <ostream>

#include "engine/calculation.h"
#include "engine/table_csv.h"
#include "packaging/version.h"
#include "tools/answers.h"
#include "tools/documents.h"
#include "tools/render.h"

namespace velmora::cli {

namespace {

int refuse(std::ostream& err, const std::string& message) {
    err << "velmora-project: " << message << '\n';
    return exitUsage;
}

// The flag that set the size of a projection that is too large.
std::string_view sizeFlag(const Options& options) {
    for (const std::string_view flag : {"--months", "--month-duration"}) {
        if (std::ranges::find(options.scenarioFlags, flag) != options.scenarioFlags.end()) {
            return flag;
        }
    }
    return options.scenarioFile ? "--scenario" : "--months";
}

void writeProjection(const Options& options, const ScenarioValues& values, std::ostream& out,
                     std::ostream& err) {
    const FixedScenario scenario(values);
    // Standard output carries only data; the announcement goes with the diagnostics.
    const SubscriptionCalculation projection(scenario, err);
    switch (options.format) {
        case OutputFormat::Table:
            writeTable(projection, values.price, out);
            break;
        case OutputFormat::Csv:
            writeCsv(projection.monthlySnapshots, values.price, out);
            break;
        case OutputFormat::Json:
            writeJson(values, projection, out);
            break;
    }
}

// Everything is checked before anything is written, so bad input leaves no file.
int execute(const Options& options, std::ostream& out, std::ostream& err) {
    auto resolved = resolveScenario(options);
    if (const auto* error = std::get_if<UsageError>(&resolved)) {
        return refuse(err, error->message);
    }
    const auto& [document, values] = std::get<ResolvedScenario>(resolved);
    if (options.saveFile) {
        if (const auto error = unsavable(*options.saveFile, document)) {
            return refuse(err, error->message);
        }
    }
    if (options.prints()) {
        if (const auto problem = missingCost(options, values)) {
            return refuse(err, *problem);
        }
        const bool projects = options.question == Question::Projection;
        if (const auto problem = projectionTooLarge(
                values, projects ? std::optional(options.format) : std::nullopt)) {
            return refuse(err, std::string(sizeFlag(options)) + ": " + *problem);
        }
    }
    if (options.saveFile) {
        if (const auto problem = save(*options.saveFile, document)) {
            err << "velmora-project: " << *problem << '\n';
            return exitOutputFailed;
        }
    }
    if (!options.prints()) {
        return 0;
    }
    if (options.question == Question::Projection) {
        writeProjection(options, values, out, err);
    } else {
        writeAnswer(options, values, out);
    }
    return 0;
}

}  // namespace

int run(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err) {
    const ParseResult parsed = parseArguments(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        return refuse(err, error->message);
    }
    if (std::holds_alternative<HelpRequested>(parsed)) {
        writeUsage(out);
    } else if (std::holds_alternative<VersionRequested>(parsed)) {
        out << "velmora-project " << versionText << '\n';
    } else if (const int status = execute(std::get<Options>(parsed), out, err); status != 0) {
        return status;
    }
    out.flush();
    if (!out) {
        err << "velmora-project: could not write the output\n";
        return exitOutputFailed;
    }
    return 0;
}

}  // namespace velmora::cli
