#pragma once

#include "RegisterRecords.h"

#include <QHash>
#include <QStringList>

namespace ciap::server {

class AssetStore;
class DocumentStore;

// The exits an outgoing invoice records: an item with an asset-exit CFOP takes the assets it
// names clearly, and is listed for the user to settle otherwise.
class ExitMatcher final {
public:
    struct Item {
        int number = 0;
        int cfop = 0;
        QString productCode;
        QString description;
        qint64 quantity = 0; // QuantityScale units
        QStringList keys;    // access keys quoted in its additional information
    };

    ExitMatcher(DocumentStore& documents, AssetStore& assets)
        : m_documents(documents)
        , m_assets(assets) {}

    // An item names the assets whose patrimony code is its product code, and those made of an
    // entry document whose key it quotes (in its own information, the invoice's or the
    // invoice's references) with the same product code. When as many assets as its whole
    // quantity are named, they leave on exitDate; otherwise the item waits in the list.
    void settle(const OutgoingInvoice& invoice, const QDate& exitDate, const QList<Item>& items,
                const QStringList& invoiceKeys);
    // The invoice was cancelled: the exits it recorded are undone and its items leave the list.
    void undo(const QString& key);

    static AssetDocument exitDocument(const OutgoingInvoice& invoice, int item,
                                      const QString& productCode, const QString& description,
                                      qint64 quantity);

private:
    DocumentStore& m_documents;
    AssetStore& m_assets;
};

} // namespace ciap::server
