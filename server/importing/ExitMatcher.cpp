#include "ExitMatcher.h"

#include "AssetStore.h"
#include "DocumentMapping.h"
#include "DocumentRules.h"
#include "DocumentStore.h"
#include "ImportMessages.h"

namespace ciap::server {

AssetDocument ExitMatcher::exitDocument(const OutgoingInvoice& invoice, int item,
                                        const QString& productCode, const QString& description,
                                        qint64 quantity) {
    AssetDocument d;
    d.own = true;
    d.participant = invoice.participant;
    d.model = invoice.model;
    d.series = invoice.series;
    d.number = invoice.number;
    d.key = invoice.key;
    d.date = invoice.issued;
    d.item = item;
    d.productCode = productCode;
    d.productDescription = description;
    d.quantity = quantity;
    return d;
}

void ExitMatcher::settle(const OutgoingInvoice& invoice, const QDate& exitDate,
                         const QList<Item>& items, const QStringList& invoiceKeys) {
    for (const Item& item : items) {
        const QString kind = DocumentRules::exitKind(item.cfop);
        if (kind.isEmpty())
            continue;
        QStringList named;
        const auto add = [&](const QStringList& codes) {
            for (const QString& c : codes) {
                if (!named.contains(c))
                    named << c;
            }
        };
        if (!item.productCode.trimmed().isEmpty())
            add(m_assets.byPatrimony(invoice.company, invoice.registration,
                                     item.productCode.trimmed()));
        QStringList keys = item.keys;
        for (const QString& k : invoiceKeys) {
            if (!keys.contains(k))
                keys << k;
        }
        for (const QString& k : keys)
            add(m_assets.byEntryDocument(invoice.company, invoice.registration, k,
                                         item.productCode));
        named.sort();

        const bool whole = item.quantity % QuantityScale == 0;
        if (whole && named.size() == item.quantity / QuantityScale) {
            for (const QString& code : named) {
                auto asset = m_assets.find(invoice.company, code);
                asset->record.exitDate = exitDate;
                asset->record.exitKind = kind;
                asset->exit = exitDocument(invoice, item.number, item.productCode, item.description,
                                           asset->entry ? asset->entry->quantity : QuantityScale);
                m_assets.update(*asset);
            }
            continue;
        }
        PendingExit pending;
        pending.company = invoice.company;
        pending.registration = invoice.registration;
        pending.key = invoice.key;
        pending.item = item.number;
        pending.cfop = QString::number(item.cfop);
        pending.productCode = item.productCode;
        pending.description = item.description;
        pending.quantity = item.quantity;
        pending.date = exitDate;
        pending.reason = named.isEmpty()
                             ? ImportMessages::noAssetNamed()
                             : ImportMessages::assetCountDiffers(
                                   int(named.size()), DocumentMapping::quantityText(item.quantity));
        pending.candidates = named;
        m_documents.insertPendingExit(pending);
    }
}

void ExitMatcher::undo(const QString& key) {
    for (RegisterAsset asset : m_assets.exitedBy(key)) {
        asset.record.exitDate = QDate();
        asset.record.exitKind.clear();
        asset.exit.reset();
        m_assets.update(asset);
    }
    m_documents.removePendingExits(key);
}

} // namespace ciap::server
