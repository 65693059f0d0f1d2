#include "AssetMaker.h"

#include "AssetStore.h"
#include "DocumentRules.h"
#include "PurchaseStore.h"

namespace ciap::server {

QStringList AssetMaker::make(const Purchase& purchase, const QList<PurchaseItem>& items,
                             const Registration& registration) {
    QStringList codes;
    for (const PurchaseItem& item : items) {
        const int count = DocumentRules::assetCount(item.quantity);
        const QList<qint64> equal(count, 1);
        const QList<qint64> own = DocumentRules::apportion(item.icmsCents, equal);
        const QList<qint64> st = DocumentRules::apportion(item.stCents, equal);
        const QList<qint64> freight = DocumentRules::apportion(item.freightCents, equal);
        for (int i = 0; i < count; ++i) {
            RegisterAsset a;
            a.company = purchase.company;
            a.record.number = m_assets.nextCode(purchase.company);
            a.record.name = item.description;
            a.record.registration = registration.code;
            a.record.entry = purchase.entered;
            a.record.ownIcms = double(own[i]) / 100.0;
            a.record.stIcms = double(st[i]) / 100.0;
            a.record.freightIcms = double(freight[i]) / 100.0;
            a.record.instalments = registration.instalments;
            a.record.appropriationType = QStringLiteral("01");
            a.details.unit = item.unit;
            a.details.difalPending = purchase.interstate;
            AssetDocument d;
            d.own = purchase.own;
            d.participant = purchase.participant;
            d.model = purchase.model;
            d.series = purchase.series;
            d.number = purchase.number;
            d.key = purchase.key;
            d.date = purchase.issued;
            d.item = item.number;
            d.productCode = item.productCode;
            d.productDescription = item.description;
            d.quantity = count == 1 ? item.quantity : QuantityScale;
            a.entry = d;
            m_assets.insert(a);
            codes << a.record.number;
        }
        m_purchases.markAsset(purchase.key, item.number);
    }
    return codes;
}

} // namespace ciap::server
