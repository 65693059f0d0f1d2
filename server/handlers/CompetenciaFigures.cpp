#include "CompetenciaFigures.h"

#include "AppropriationRules.h"
#include "CiapRules.h"
#include "CompetenciaStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"

#include <cmath>

namespace ciap::server {

double CompetenciaFigures::appropriationFactor(const CompetenciaRow& row, const QString& taxKind) {
    return CiapRules::appropriable(1.0, CiapRules::coefficient(row.total, row.taxed, taxKind),
                                   taxKind);
}

void CompetenciaFigures::recompute(CompetenciaStore& store, const CompetenciaRow& row,
                                   const QString& taxKind) {
    const double coefficient = CiapRules::coefficient(row.total, row.taxed, taxKind);
    store.scaleAssets(row, CiapRules::appropriable(1.0, coefficient, taxKind));
    const CompetenciaStore::AssetTotals totals = store.assetTotals(row);
    const double balance = double(totals.instalmentCents) / 100.0;
    store.setFigures(row, coefficient, balance,
                     CiapRules::appropriable(balance, coefficient, taxKind), totals.count);
}

void CompetenciaFigures::appropriate(CompetenciaStore& store, const CompetenciaRow& row,
                                     const QString& taxKind, ExitMonthInstalment exit) {
    CiapRules::checkOutgoing(row.total, row.taxed);
    const QList<LoadedAsset> loaded = store.loadedAssets(row);
    QStringList stale;
    QList<qint64> instalments;
    instalments.reserve(loaded.size());
    for (const LoadedAsset& a : loaded) {
        const Staleness why = CiapRules::staleness(a, row.registration, row.month, exit);
        if (why != Staleness::Current)
            stale << ServerMessages::staleAsset(
                a, why, CiapRules::instalmentCents(a.current, row.month, exit));
        instalments.append(a.loadedCents);
    }
    if (!stale.isEmpty())
        throw ServiceError::rule(ServerMessages::staleAssets(stale));
    const AppropriationRules::Result r = AppropriationRules::appropriate(
        std::llround(row.total * 100.0), std::llround(row.taxed * 100.0), taxKind, instalments);
    QList<CompetenciaStore::AssetValue> values;
    values.reserve(loaded.size());
    qint64 balance = 0;
    for (qsizetype i = 0; i < loaded.size(); ++i) {
        values.append({loaded[i].current.number, instalments[i], double(r.shares[i]) / 100.0});
        balance += instalments[i];
    }
    store.removeAllAssets(row);
    store.insertAssets(row, values);
    store.setFigures(row, double(r.index) / double(AppropriationRules::IndexOne),
                     double(balance) / 100.0, double(r.creditCents) / 100.0, int(loaded.size()));
    store.setSituation(row, QStringLiteral("A"));
}

} // namespace ciap::server
