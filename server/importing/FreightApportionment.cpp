#include "FreightApportionment.h"

#include "AssetStore.h"
#include "DocumentRules.h"
#include "DocumentStore.h"
#include "PurchaseStore.h"

#include <QHash>
#include <QSet>
#include <map>

namespace ciap::server {

namespace {

struct Held {
    Purchase purchase;
    QList<PurchaseItem> items;
};

} // namespace

void FreightApportionment::recompute(const QStringList& nfeKeys) {
    // The NF-e and CT-e connected to the given NF-e, in a stable order.
    std::map<QString, Freight> freights;
    QSet<QString> seen;
    QStringList queue = nfeKeys;
    QStringList invoices;
    while (!queue.isEmpty()) {
        const QString key = queue.takeFirst();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        invoices << key;
        for (const QString& cte : m_documents.freightNaming(key)) {
            if (freights.count(cte))
                continue;
            const auto f = m_documents.freight(cte);
            if (!f)
                continue;
            freights.emplace(cte, *f);
            queue << f->nfeKeys;
        }
    }
    if (freights.empty())
        return; // nothing carried these invoices: their items keep no freight

    QHash<QString, Held> held;
    for (const QString& key : invoices) {
        if (auto p = m_purchases.find(key))
            held.insert(key, Held{*p, m_purchases.items(key)});
    }
    QHash<QString, QHash<int, qint64>> shares;
    for (const auto& [cteKey, f] : freights) {
        QList<std::pair<QString, int>> targets;
        QList<qint64> weights;
        // Only the taker's own purchases, of the same establishment, that still stand.
        for (const QString& key : f.nfeKeys) {
            const auto it = held.constFind(key);
            if (it == held.constEnd() || it->purchase.cancelled ||
                it->purchase.company != f.company || it->purchase.registration != f.registration)
                continue;
            for (const PurchaseItem& item : it->items) {
                targets.append({key, item.number});
                weights.append(item.valueCents);
            }
        }
        const QList<qint64> parts = DocumentRules::apportion(f.icmsCents, weights);
        for (qsizetype i = 0; i < targets.size(); ++i)
            shares[targets[i].first][targets[i].second] += parts[i];
    }

    for (const Held& h : std::as_const(held)) {
        for (const PurchaseItem& item : h.items) {
            const qint64 freight = shares.value(h.purchase.key).value(item.number);
            if (freight == item.freightCents)
                continue;
            m_purchases.setFreight(h.purchase.key, item.number, freight);
            if (!item.asset)
                continue;
            QList<RegisterAsset> assets =
                m_assets.fromEntryItem(h.purchase.company, h.purchase.key, item.number);
            QList<qint64> quantities;
            for (const RegisterAsset& a : assets)
                quantities.append(a.entry ? a.entry->quantity : 0);
            const QList<qint64> parts = DocumentRules::apportion(freight, quantities);
            for (qsizetype i = 0; i < assets.size(); ++i) {
                assets[i].record.freightIcms = double(parts[i]) / 100.0;
                m_assets.update(assets[i]);
            }
        }
    }
}

} // namespace ciap::server
