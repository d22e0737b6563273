// The cohort table reader on any bytes: read, or refused saying where and why.
// A table read keeps the rules a document checks, reads back whole from a
// document, and fits to rates between 0 and 1.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "document/scenario_document.h"
#include "engine/calibration/calibration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const auto read = readCohortTable({reinterpret_cast<const char*>(data), size});
    if (const auto* problem = std::get_if<TableProblem>(&read)) {
        if (problem->message.empty() || (problem->line == 0) != (problem->column == 0)) {
            std::abort();
        }
        return 0;
    }
    const CohortTable& table = std::get<CohortTable>(read);
    if (cohortTableProblem(table)) {
        std::abort();
    }
    if (fitsInDocument(table)) {
        ScenarioDocument document;
        document.cohortTable = table;
        const auto reread = parseDocument(documentText(document));
        const auto* written = std::get_if<ScenarioDocument>(&reread);
        if (written == nullptr || written->cohortTable != table) {
            std::abort();
        }
    }
    const auto fitted = std::get<Calibration>(calibrate(table, {}));
    // Without a second renewal's rate, the later rates and the model are not fitted.
    const bool later = fitted.rates.later;
    const auto share = [](double rate) { return rate >= 0 && rate <= 1; };
    const auto laterShare = [&](double rate) { return later ? share(rate) : std::isnan(rate); };
    if (!share(fitted.rates.rates[0]) ||
        !std::all_of(fitted.rates.rates.begin() + 1, fitted.rates.rates.end(), laterShare) ||
        !laterShare(fitted.rates.rtPlus) || !laterShare(fitted.curve.rtPlus) ||
        !std::all_of(fitted.curve.laterRates.begin(), fitted.curve.laterRates.end(), share) ||
        (later && !(fitted.model.alpha > 0 && fitted.model.beta > 0))) {
        std::abort();
    }
    return 0;
}
