#pragma once

#include <QString>

namespace ciap::server {

class Session;

// What one imported document holds in the register now, in the user's words: the purchase
// kept and the assets made of it, the outgoing invoice and the exits it recorded or left to
// settle, the freight and where its ICMS went, the cancellation. Read after the import, so
// that a duplicate tells the same as the first import did.
struct ImportReport {
    QString company;
    QString registration;
    int assets = 0; // made of the document's entry
    QString text;

    // kind "NFE", "CTE" or "EVT" (key: the cancelled NF-e), as FileOutcome has them.
    static ImportReport of(Session& session, const QString& kind, const QString& key);
};

} // namespace ciap::server
