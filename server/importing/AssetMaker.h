#pragma once

#include "RegisterRecords.h"

#include <QStringList>

namespace ciap::server {

class AssetStore;
class PurchaseStore;

// Turns a purchase's items into assets of the register, the same way on import and later.
class AssetMaker final {
public:
    AssetMaker(AssetStore& assets, PurchaseStore& purchases)
        : m_assets(assets)
        , m_purchases(purchases) {}

    // One asset per unit of a whole quantity (DocumentRules::assetCount), each with an equal
    // part of the item's own ICMS, ICMS-ST and freight ICMS, the cents left over on the last;
    // codes from the company's counter, in item order. An interstate purchase leaves each
    // waiting for its rate differential. Returns the new codes.
    QStringList make(const Purchase& purchase, const QList<PurchaseItem>& items,
                     const Registration& registration);

private:
    AssetStore& m_assets;
    PurchaseStore& m_purchases;
};

} // namespace ciap::server
