#include "tools/documents.h"

#include <algorithm>

#include "document/file_name.h"
#include "tools/flag_values.h"

namespace velmora::cli {

namespace {

// The file the user named, byte for byte, whether or not its name is UTF-8.
QString filePath(const std::string& path) {
    return fileNameFromBytes(QByteArrayView(path.data(), static_cast<qsizetype>(path.size())));
}

// The library's message names the file as given, which may hold any byte.
std::string oneLine(const DocumentProblem& problem) {
    return escaped(fileNameBytes(problem.message).toStdString(), false);
}

ScenarioValues& pageOf(ScenarioDocument& document, Page page) {
    return page == Page::Basic ? document.basic
                               : document.comparison[static_cast<std::size_t>(page) - 1];
}

}  // namespace

std::variant<ResolvedScenario, UsageError> resolveScenario(const Options& options) {
    ResolvedScenario resolved;
    if (options.scenarioFile) {
        auto read = readDocumentFile(filePath(*options.scenarioFile));
        if (const auto* problem = std::get_if<DocumentProblem>(&read)) {
            return UsageError{"--scenario: " + oneLine(*problem)};
        }
        resolved.document = std::get<ScenarioDocument>(std::move(read));
    }
    ScenarioValues& page = pageOf(resolved.document, options.page);
    page = withFlags(page, options);
    resolved.values = page;
    resolved.ranges = options.ranges;
    auto& held =
        options.page == Page::Basic
            ? resolved.document.basicRanges
            : resolved.document.comparisonRanges[static_cast<std::size_t>(options.page) - 1];
    for (const Range& range : rangesAround(page, held)) {
        if (std::ranges::none_of(options.ranges,
                                 [&](const Range& given) { return given.input == range.input; })) {
            resolved.ranges.push_back(range);
        }
    }
    // A --range is the page's range of its input from now on, which --save keeps.
    for (const Range& given : options.ranges) {
        std::erase_if(held, [&](const Range& range) { return range.input == given.input; });
        held.push_back(given);
    }
    return resolved;
}

std::optional<UsageError> unsavable(const std::string& path, const ScenarioDocument& document) {
    if (!documentProblem(document)) {
        return std::nullopt;
    }
    // The library refuses such a document before it touches the file, in words
    // that name the file and the field.
    const auto refused = saveDocumentFile(filePath(path), document);
    return UsageError{"--save: " + oneLine(refused.value_or(DocumentProblem{}))};
}

std::optional<std::string> save(const std::string& path, const ScenarioDocument& document) {
    if (const auto problem = saveDocumentFile(filePath(path), document)) {
        return "--save: " + oneLine(*problem);
    }
    return std::nullopt;
}

}  // namespace velmora::cli
