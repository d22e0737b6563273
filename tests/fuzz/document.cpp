// The document reader on any bytes: read, or refused with a message; a
// document read and written again reads back identical, with its metadata.
#include <cstdlib>

#include "document/scenario_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    DocumentMetadata metadata;
    const auto read = parseDocument(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
        &metadata);
    const auto* document = std::get_if<ScenarioDocument>(&read);
    DocumentMetadata again;
    const auto reread = document ? parseDocument(documentText(*document, metadata), &again) : read;
    const auto* written = std::get_if<ScenarioDocument>(&reread);
    if (document ? documentProblem(*document) || !written || !identical(*written, *document) ||
                       again != metadata
                 : std::get<DocumentProblem>(read).message.isEmpty()) {
        std::abort();
    }
    return 0;
}
