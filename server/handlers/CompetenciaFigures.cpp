#include "CompetenciaFigures.h"

#include "CiapRules.h"
#include "CompetenciaStore.h"

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

} // namespace ciap::server
