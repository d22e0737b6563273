#pragma once

#include <array>
#include <optional>
#include <variant>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "engine/calibration/cohort_table.h"
#include "engine/projection/scenario.h"
#include "engine/spread/ranges.h"

namespace velmora {

/// How the "Basic Analysis" chart draws the active subscribers.
enum class ChartType {
    Simple,   ///< a line through every day; "simple" in a file
    Cohorts,  ///< stacked bars of each month's cohorts; "cohorts" in a file
};

/// What one window holds, and what one `.velmora` file stores (format version
/// 1, UTF-8 JSON):
///
///     {"format": "velmora", "version": 1,
///      "basic": {SCENARIO},
///      "comparison": {"baseline": {SCENARIO}, "alternate1": {SCENARIO},
///                     "alternate2": {SCENARIO}},
///      "chartType": "simple" | "cohorts",
///      "cohortTable": {"cohorts": [{"label": TEXT, "counts": [NUMBER, …],
///                                   "trials": NUMBER, "days": NUMBER}, …]}}
///
/// where SCENARIO holds the fields of `ScenarioValues` by their names, and,
/// when the scenario has ranges, "ranges": {INPUT: [LOW, HIGH], …} with INPUT
/// one of `rangedInputs` by its `inputName`. A field, scenario, "comparison"
/// or "chartType" left out of a file takes its default; "cohortTable",
/// "ranges", and a cohort's "trials" and "days", may be left out; keys the
/// format does not know are ignored.
struct ScenarioDocument {
    ScenarioValues basic;
    std::array<ScenarioValues, 3> comparison;  ///< baseline, alternate 1, alternate 2
    ChartType chartType = ChartType::Simple;
    /// The retention table the scenario of "Basic Analysis" is calibrated
    /// from, as it was read; it keeps to the rules of `readCohortTable`.
    std::optional<CohortTable> cohortTable = {};
    /// The ranges of the inputs of `basic`, in `rangedInputs` order; the value
    /// of an input may lie outside its range.
    std::vector<Range> basicRanges = {};
    /// The same for each scenario of `comparison`.
    std::array<std::vector<Range>, 3> comparisonRanges = {};

    /// Equal values; -0 equals 0 (see `identical`).
    friend bool operator==(const ScenarioDocument&, const ScenarioDocument&) = default;
};

/// Whether `a` equals `b` with every number of their scenarios the same bits:
/// -0 and 0 differ.
[[nodiscard]] bool identical(const ScenarioDocument& a, const ScenarioDocument& b);

/// What is kept beside a document in its file without being part of it, as
/// top-level keys that readers of the format ignore.
struct DocumentMetadata {
    /// For a recovery copy: the path of the file the document was opened from
    /// or last saved to; empty for a document never saved. Key "recoveryOf".
    QString recoveryOf;

    friend bool operator==(const DocumentMetadata&, const DocumentMetadata&) = default;
};

/// Why a document could not be read or saved, as one sentence to show as it
/// is: "FILE: comparison.alternate1.rt3: expected a number, found a string",
/// "FILE: line 3, column 14: expected ',' or '}', found ']'".
struct DocumentProblem {
    QString message;
};

/// The largest file a document may be read from.
inline constexpr qint64 maxDocumentBytes = qint64{1} << 20;
/// The format version written, and the newest read.
inline constexpr int documentVersion = 1;
/// The file name extension of documents, without the dot.
inline constexpr char documentSuffix[] = "velmora";

/// Reads a document from the text of a file; the problem names no file. When
/// `metadata` is given, it receives what the text holds of it.
[[nodiscard]] std::variant<ScenarioDocument, DocumentProblem> parseDocument(
    QByteArrayView bytes, DocumentMetadata* metadata = nullptr);

/// Reads the document in the file at `path`. Refuses, with the path and the
/// reason, a missing or unreadable file, a folder, a file larger than
/// `maxDocumentBytes`, and all that `parseDocument` refuses.
[[nodiscard]] std::variant<ScenarioDocument, DocumentProblem> readDocumentFile(
    const QString& path, DocumentMetadata* metadata = nullptr);

/// The text of `document` in format version 1: every field, in a fixed order,
/// one per line, numbers in the shortest form that reads back bit for bit.
/// Values a document cannot hold (see `documentProblem`) are written all the
/// same, making a file that is refused when read.
[[nodiscard]] QByteArray documentText(const ScenarioDocument& document,
                                      const DocumentMetadata& metadata = {});

/// Whether a document with `table` stays within `maxDocumentBytes`, room left
/// for its scenarios and metadata, so that every release reads it.
[[nodiscard]] bool fitsInDocument(const CohortTable& table);

/// What in `document` could not be read back from its file ("basic.price:
/// expected a finite number, found inf"): a number that is not finite, a
/// month duration other than a whole number from 1 to 365, months to project
/// outside 0 to 600, a cohort table that breaks the rules of
/// `readCohortTable` or does not fit (`fitsInDocument`). None when every
/// value can be saved.
[[nodiscard]] std::optional<QString> documentProblem(const ScenarioDocument& document);

/// Writes `document` to `path` through a temporary file renamed over it, so a
/// failed save leaves an earlier file as it was. Refuses, naming the file and
/// the reason, a document with a `documentProblem` and every failure to write.
[[nodiscard]] std::optional<DocumentProblem> saveDocumentFile(
    const QString& path, const ScenarioDocument& document, const DocumentMetadata& metadata = {});

}  // namespace velmora
