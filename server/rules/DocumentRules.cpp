#include "DocumentRules.h"

#include "RegisterRecords.h"

namespace ciap::server {

QList<qint64> DocumentRules::apportion(qint64 amount, const QList<qint64>& weights) {
    QList<qint64> shares;
    if (weights.isEmpty())
        return shares;
    __int128 total = 0;
    for (qint64 w : weights)
        total += w > 0 ? w : 0;
    qint64 given = 0;
    for (qsizetype i = 0; i + 1 < weights.size(); ++i) {
        // Amounts and weights of a document both reach 10^13 cents: their product needs more
        // than 64 bits.
        const qint64 share =
            total == 0 ? amount / weights.size()
                       : qint64(__int128(amount) * (weights[i] > 0 ? weights[i] : 0) / total);
        shares.append(share);
        given += share;
    }
    shares.append(amount - given);
    return shares;
}

int DocumentRules::assetCount(qint64 quantity) {
    if (quantity % QuantityScale != 0)
        return 1;
    const qint64 units = quantity / QuantityScale;
    return units >= 1 && units <= MaxAssetsPerItem ? int(units) : 1;
}

bool DocumentRules::isAssetEntryCfop(int cfop) {
    const int first = cfop / 1000;
    const int rest = cfop % 1000;
    return first >= 1 && first <= 3 && (rest == 551 || rest == 406);
}

QString DocumentRules::exitKind(int cfop) {
    const int first = cfop / 1000;
    if (first < 5 || first > 7)
        return {};
    switch (cfop % 1000) {
    case 551:
    case 552:
        return QStringLiteral("V");
    case 553:
    case 412: // the return of an asset bought under tax substitution (1.406)
        return QStringLiteral("O");
    default:
        return {};
    }
}

qint64 DocumentRules::operationValue(const ItemValues& v) {
    return v.products + v.freight + v.insurance + v.other + v.st + v.fcpSt + v.ipi - v.discount;
}

} // namespace ciap::server
