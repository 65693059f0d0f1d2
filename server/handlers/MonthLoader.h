#pragma once

#include "CompetenciaRow.h"
#include "TaxInfo.h"

namespace ciap::server {

class CompetenciaStore;
class RegisterStore;
class TaxTablesStore;

// The two loads of a pending competência: outgoing values from the month's invoices, and the
// assets with an instalment in the month. Both recompute the month; neither commits.
class MonthLoader final {
public:
    MonthLoader(RegisterStore& registers, TaxTablesStore& tables, CompetenciaStore& store)
        : m_registers(registers)
        , m_tables(tables)
        , m_store(store) {}

    // False (nothing changed) when nothing of the month counts in the total outgoing. Throws
    // ServiceError for an item the tables cannot place (an unknown CFOP or ICMS situation).
    bool loadOutgoing(CompetenciaRow& row, const TaxInfo& tax);
    // False (nothing changed) when no asset has an instalment in the month.
    bool loadAssets(CompetenciaRow& row, const TaxInfo& tax);

private:
    RegisterStore& m_registers;
    TaxTablesStore& m_tables;
    CompetenciaStore& m_store;
};

} // namespace ciap::server
