#include "MonthLoader.h"

#include "CiapRules.h"
#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "RegisterStore.h"

namespace ciap::server {

bool MonthLoader::loadOutgoing(CompetenciaRow& row, const TaxInfo& tax) {
    const RegisterStore::Outgoing out =
        m_registers.outgoing(row.company, row.registration, row.month);
    const double total = CiapRules::roundCents(out.total);
    const double taxed = CiapRules::roundCents(out.taxed);
    if (total <= 0.0)
        return false;
    CiapRules::checkOutgoing(total, taxed);
    row.total = total;
    row.taxed = taxed;
    m_store.updateKeyAndOutgoing(row);
    CompetenciaFigures::recompute(m_store, row, tax.kind);
    return true;
}

bool MonthLoader::loadAssets(CompetenciaRow& row, const TaxInfo& tax) {
    QList<QPair<QString, qint64>> load;
    for (const AssetRecord& asset :
         m_registers.assetsInPlay(row.company, row.registration, row.month)) {
        if (CiapRules::takesPart(asset, row.month))
            load.append({asset.number, CiapRules::instalmentCents(asset, row.month)});
    }
    if (load.isEmpty())
        return false;
    m_store.removeAllAssets(row);
    m_store.insertAssets(row, load, CompetenciaFigures::appropriationFactor(row, tax.kind));
    CompetenciaFigures::recompute(m_store, row, tax.kind);
    return true;
}

} // namespace ciap::server
