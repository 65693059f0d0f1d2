#pragma once

#include "RegisterRecords.h"

#include <QList>
#include <optional>

namespace ciap::server {

class Session;

// The registrations' purchases, kept whole (NFENTRADA, NFENTRADAITEM): an item becomes assets
// when it is imported as one or later, and carries its share of the freight meanwhile. Writes
// expect a TransactionGuard around them.
class PurchaseStore final {
public:
    explicit PurchaseStore(Session& session)
        : m_session(session) {}

    void insert(const Purchase& purchase, const QList<PurchaseItem>& items);
    std::optional<Purchase> find(const QString& key);
    QList<PurchaseItem> items(const QString& key);
    // The company's purchases, latest entry first; only those with items not yet assets when
    // pendingOnly.
    QList<Purchase> list(const QString& company, bool pendingOnly);

    void markAsset(const QString& key, int item);
    void setFreight(const QString& key, int item, qint64 cents);
    void cancel(const QString& key);

private:
    Session& m_session;
};

} // namespace ciap::server
