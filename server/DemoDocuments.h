#pragma once

#include "ImportTypes.h"

#include <QByteArray>
#include <QList>

namespace ciap::server {

// The demo's seed: NF-e, CT-e and cancellations kept in server/demo/documents (made by
// make_documents.py, compiled in as resources), written as if the current month were
// January 2024.
class DemoDocuments final {
public:
    static constexpr int ReferenceYear = 2024;
    static constexpr int ReferenceMonth = 1;

    // Every document in import order, moved `months` forward.
    static QList<ImportSource> load(int months);
    // The document with each date and each access key moved `months` forward: the key's
    // year and month follow the issue date and its check digit is computed again, so the
    // reader takes the document as it takes the original.
    static QByteArray shifted(const QByteArray& xml, int months);
};

} // namespace ciap::server
