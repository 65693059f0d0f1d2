#include "MonthLoader.h"

#include "CiapRules.h"
#include "CompetenciaStore.h"
#include "RegisterStore.h"

namespace ciap::server {

bool MonthLoader::loadOutgoing(CompetenciaRow& row, const TaxInfo& tax) {
    const RegisterStore::Outgoing out =
        m_registers.outgoing(row.company, row.registration, row.month);
    if (out.total <= 0.0)
        return false;
    CiapRules::checkOutgoing(out.total, out.taxed);
    row.total = out.total;
    row.taxed = out.taxed;
    m_store.updateKeyAndOutgoing(row);
    m_store.recompute(row, tax.kind);
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
    m_store.insertAssets(row, load, CompetenciaStore::appropriationFactor(row, tax.kind));
    m_store.recompute(row, tax.kind);
    return true;
}

} // namespace ciap::server
