#include "tools/cli.h"

#include <algorithm>
#include <ostream>
#include <sstream>

#include "engine/projection/calculation.h"
#include "engine/table/table_csv.h"
#include "engine/table/table_figures.h"
#include "packaging/version.h"
#include "tools/answers.h"
#include "tools/calibration_answer.h"
#include "tools/documents.h"
#include "tools/file_output.h"
#include "tools/flag_values.h"
#include "tools/render.h"
#include "tools/spread_answer.h"

namespace velmora::cli {

namespace {

int refuse(std::ostream& err, const std::string& message) {
    err << "velmora-project: " << message << '\n';
    return exitUsage;
}

// The flag that set the size of a projection that is too large, or the
// document that did, named as a document's other refusals name it.
std::string sizeFlag(const Options& options) {
    for (const std::string_view flag : {"--months", "--month-duration"}) {
        if (std::ranges::find(options.scenarioFlags, flag) != options.scenarioFlags.end()) {
            return std::string(flag);
        }
    }
    return options.scenarioFile ? "--scenario: " + escaped(*options.scenarioFile, false)
                                : "--months";
}

// Standard output carries only data; the announcement goes with the diagnostics.
void writeProjection(const Options& options, const ScenarioValues& values, std::ostream& out,
                     std::ostream& err) {
    if (options.format == OutputFormat::Json) {
        const FixedScenario scenario(values);
        writeJson(values, SubscriptionCalculation(scenario, err), out);
        return;
    }
    // The table and the CSV show monthly figures only: the cohorts' daily
    // breakdown, which grows with the square of the days, is never built.
    err << "Calculated\n" << std::flush;
    const std::vector<SubscriptionSnapshot> months = monthlySnapshots(values);
    if (options.format == OutputFormat::Csv) {
        writeCsv(months, proceedsOf(values, months, values.price), values.monthDuration, out);
    } else {
        writeTable(values, months, values.price, out);
    }
}

// Everything is checked before anything is written, so bad input leaves no file.
int execute(const Options& options, std::ostream& out, std::ostream& err) {
    auto resolved = resolveScenario(options);
    if (const auto* error = std::get_if<UsageError>(&resolved)) {
        return refuse(err, error->message);
    }
    const ResolvedScenario& scenario = std::get<ResolvedScenario>(resolved);
    // Named references, not a structured binding: lambdas below use them.
    const ScenarioDocument& document = scenario.document;
    const ScenarioValues& values = scenario.values;
    // --simulate draws from the page's ranges too, not only from --range.
    Options drawing = options;
    drawing.ranges = scenario.ranges;
    if (const auto clash = outputClash(options)) {
        return refuse(err, *clash);
    }
    if (const auto problem = outputRefused(options)) {
        err << "velmora-project: " << *problem << '\n';
        return exitOutputFailed;
    }
    if (options.question == Question::Calibrate) {
        if (!options.outputFile || (*options.outputFile == standardOutput && !options.fileFormat)) {
            return calibrateScenario(options, document, values, out, err);
        }
        // The answer is small: kept whole, then written as any other output
        // (a workbook or a report fits the table again, as the window's do).
        std::ostringstream answer;
        if (const int status = calibrateScenario(options, document, values, answer, err)) {
            return status;
        }
        if (const auto problem =
                writeOutputFile(options, scenario, out, err,
                                [&](std::ostream& stream) { stream << answer.view(); })) {
            err << "velmora-project: " << *problem << '\n';
            return exitOutputFailed;
        }
        return 0;
    }
    if (options.saveFile) {
        if (const auto error = unsavable(*options.saveFile, document)) {
            return refuse(err, error->message);
        }
    }
    if (options.prints()) {
        if (const auto problem = missingCost(options, values)) {
            return refuse(err, *problem);
        }
        if (const auto problem = rangesRefused(options, values)) {
            return refuse(err, *problem);
        }
        const auto problem = options.question == Question::Projection
                                 ? projectionTooLarge(values, options.format)
                                 : questionTooLarge(options, values);
        if (problem) {
            return refuse(err, sizeFlag(options) + ": " + *problem);
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
    const auto writeText = [&](std::ostream& stream) {
        if (options.question == Question::Projection) {
            writeProjection(options, values, stream, err);
        } else {
            writeAnswer(drawing, values, stream);
        }
    };
    if (options.outputFile) {
        if (const auto problem = writeOutputFile(options, scenario, out, err, writeText)) {
            err << "velmora-project: " << *problem << '\n';
            return exitOutputFailed;
        }
        return 0;
    }
    writeText(out);
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
