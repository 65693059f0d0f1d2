#pragma once

#include <QStringList>

namespace ciap::server {

class AssetStore;
class DocumentStore;
class PurchaseStore;

// The ICMS of the CT-e the company took, shared among the items of the NF-e each carried by
// the items' value (vProd), the cents left over on the last item; an item's share is shared
// among its assets by quantity. Recomputed whole whenever a CT-e or an NF-e it names arrives,
// or such an NF-e is cancelled, so that the shares do not depend on which file came first.
class FreightApportionment final {
public:
    FreightApportionment(DocumentStore& documents, PurchaseStore& purchases, AssetStore& assets)
        : m_documents(documents)
        , m_purchases(purchases)
        , m_assets(assets) {}

    // Everything connected to these NF-e through the CT-e that name them.
    void recompute(const QStringList& nfeKeys);

private:
    DocumentStore& m_documents;
    PurchaseStore& m_purchases;
    AssetStore& m_assets;
};

} // namespace ciap::server
