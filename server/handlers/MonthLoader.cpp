#include "MonthLoader.h"

#include "CiapRules.h"
#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "OutgoingRules.h"
#include "RegisterStore.h"
#include "TaxTablesStore.h"

namespace ciap::server {

bool MonthLoader::loadOutgoing(CompetenciaRow& row, const TaxInfo& tax) {
    const OutgoingRules::Sums sums =
        OutgoingRules::sum(m_registers.outgoing(row.company, row.registration, row.month),
                           m_tables.cfops(m_tables.state(row.company, row.registration)));
    if (sums.totalCents <= 0)
        return false;
    row.total = double(sums.totalCents) / 100.0;
    row.taxed = double(sums.taxedCents) / 100.0;
    CiapRules::checkOutgoing(row.total, row.taxed);
    m_store.updateKeyAndOutgoing(row);
    CompetenciaFigures::recompute(m_store, row, tax.kind);
    return true;
}

bool MonthLoader::loadAssets(CompetenciaRow& row, const TaxInfo& tax) {
    const ExitMonthInstalment exit = m_tables.exitMonthInstalment(row.company, row.registration);
    const double factor = CompetenciaFigures::appropriationFactor(row, tax.kind);
    QList<CompetenciaStore::AssetValue> load;
    for (const AssetRecord& asset :
         m_registers.assetsInPlay(row.company, row.registration, row.month)) {
        if (!CiapRules::takesPart(asset, row.month, exit))
            continue;
        const qint64 cents = CiapRules::instalmentCents(asset, row.month, exit);
        load.append({asset.number, cents, double(cents) / 100.0 * factor});
    }
    if (load.isEmpty())
        return false;
    m_store.removeAllAssets(row);
    m_store.insertAssets(row, load);
    CompetenciaFigures::recompute(m_store, row, tax.kind);
    return true;
}

} // namespace ciap::server
