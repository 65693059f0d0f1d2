// The document reader on any bytes: it either reads a document whose key, protocol and
// environment hold what the reader promises, or refuses with a code and a text; it never
// crashes, leaks, hangs or reads past its limits.
#include "AccessKey.h"
#include "DocumentReader.h"

#include <cstdint>
#include <cstdlib>

using namespace ciap::documents;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkKey(const AccessKey& key) {
    check(AccessKey::fromString(key.toString()).has_value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ReaderLimits limits;
    limits.maxDepth = 24;
    limits.maxElements = 5000;
    try {
        const FiscalDocument document = readDocument(bytes, limits);
        if (const auto* nfe = std::get_if<NfeDocument>(&document)) {
            checkKey(nfe->key);
            check(nfe->key == nfe->authorisation.key && !nfe->items.isEmpty());
            check(nfe->environment == 1 && nfe->authorisation.environment == 1);
            check(nfe->authorisation.status == 100 || nfe->authorisation.status == 150);
        } else if (const auto* cte = std::get_if<CteDocument>(&document)) {
            checkKey(cte->key);
            check(cte->key == cte->authorisation.key && cte->model == 57);
            check(cte->taker.role >= 0 && cte->taker.role <= 4);
            check(cte->authorisation.status == 100 || cte->authorisation.status == 150);
        } else {
            const auto& event = std::get<NfeCancellation>(document);
            checkKey(event.nfeKey);
            check(event.eventType == 110111 && event.environment == 1);
            const int status = event.registration.status;
            check(status == 135 || status == 136 || status == 155);
        }
    } catch (const DocumentError& error) {
        // A refusal is the expected answer to most inputs; it must say why.
        check(!error.text().isEmpty() && QByteArray(codeName(error.code())) != "unknown");
    }
    return 0;
}
