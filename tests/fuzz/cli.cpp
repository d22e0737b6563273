// velmora-project's arguments (the input split at NUL bytes), run in-process in
// a scratch folder: any list ends with status 0 and nothing but the engine's
// announcements on standard error, or with one safe error line and nothing on
// standard output: status 2 before anything is projected, or 1 when the --save
// or --output file cannot be written.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/projection/calculation.h"
#include "tools/documents.h"

using namespace velmora;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/velmora-fuzz-cli-XXXXXX";
    if (mkdtemp(folder) == nullptr || chdir(folder) != 0) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> arguments;
    for (std::size_t start = 0; size > 0 && start <= size;) {
        const std::size_t end = std::min(input.find('\0', start), size);
        arguments.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    // What --scenario may name: a document with a long page, and a broken one.
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        std::filesystem::remove_all(entry.path());
    }
    std::ofstream("plan.velmora") << R"({"format": "velmora", "version": 1, "basic":
        {"monthsToProject": 12, "startingSubs": 500}, "comparison": {"alternate2":
        {"monthsToProject": 600}}, "chartType": "cohorts"})";
    std::ofstream("broken.velmora") << R"({"format": "velmora", "version": 1, "basic": [})";

    // Files stay in the folder, and a projection the tool would build takes
    // milliseconds; what it refuses as too large is refused at once.
    const cli::ParseResult parsed = cli::parseArguments(arguments);
    const auto* options = std::get_if<cli::Options>(&parsed);
    const auto resolved = options ? cli::resolveScenario(*options) : cli::UsageError{};
    // A report loads fonts through a GUI application: its own tests cover it.
    if (const auto* scenario = std::get_if<cli::ResolvedScenario>(&resolved);
        input.find('/') != std::string_view::npos ||
        (options && options->fileFormat == cli::FileFormat::Pdf) ||
        (scenario && !cli::projectionTooLarge(scenario->values, options->format) &&
         projectionSize(scenario->values)->cohortDays > 2e6)) {
        return -1;
    }

    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::run(arguments, out, err);
    std::string errors = err.str();
    // A projection may be made before its output file turns out unwritable.
    while (status != cli::exitUsage && errors.starts_with("Calculated\n")) {
        errors.erase(0, 11);
    }
    const bool fine =
        status == 0
            ? errors.empty()
            : (status == cli::exitUsage || (status == cli::exitOutputFailed &&
                                            (errors.starts_with("velmora-project: --save: ") ||
                                             errors.starts_with("velmora-project: --output: ")))) &&
                  out.str().empty() && errors.starts_with("velmora-project: ") &&
                  errors.ends_with('\n') &&
                  // one line, and nothing a terminal takes for a control
                  std::ranges::none_of(errors.substr(0, errors.size() - 1),
                                       [](char c) { return (c >= 0 && c < 0x20) || c == 0x7F; });
    if (!fine) {
        std::abort();
    }
    return 0;
}
