#include "tools/cli.h"

#include <ostream>

#include "engine/calculation.h"
#include "packaging/version.h"
#include "tools/render.h"

namespace velmora::cli {

int run(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err) {
    const ParseResult parsed = parseArguments(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        err << "velmora-project: " << error->message << '\n';
        return exitUsage;
    }
    if (std::holds_alternative<HelpRequested>(parsed)) {
        writeUsage(out);
    } else if (std::holds_alternative<VersionRequested>(parsed)) {
        out << "velmora-project " << versionText << '\n';
    } else {
        const Options& options = std::get<Options>(parsed);
        const FixedScenario scenario(options.values);
        // Standard output carries only data; the announcement goes with the diagnostics.
        const SubscriptionCalculation projection(scenario, err);
        switch (options.format) {
            case OutputFormat::Table:
                writeTable(projection, options.values.price, out);
                break;
            case OutputFormat::Csv:
                writeCsv(projection.monthlySnapshots, options.values.price, out);
                break;
            case OutputFormat::Json:
                writeJson(options.values, projection, out);
                break;
        }
    }
    out.flush();
    if (!out) {
        err << "velmora-project: could not write the output\n";
        return exitOutputFailed;
    }
    return 0;
}

}  // namespace velmora::cli
