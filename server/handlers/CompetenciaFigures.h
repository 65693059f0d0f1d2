#pragma once

#include "CompetenciaRow.h"
#include "Outgoing.h"

#include <QString>

namespace ciap::server {

class CompetenciaStore;

// The figures of a competência that the CIAP rules derive from its outgoing values and its
// loaded assets: the coefficient, every asset's value to appropriate, the balance, the credit
// and the asset count. The store keeps them; the rules compute them here.
class CompetenciaFigures final {
public:
    // What share of an instalment may be appropriated in the competência's month.
    static double appropriationFactor(const CompetenciaRow& row, const QString& taxKind);
    // After any change to the outgoing values or to the assets of a pending month: full
    // precision, as the screen shows it.
    static void recompute(CompetenciaStore& store, const CompetenciaRow& row,
                          const QString& taxKind);
    // The month appropriated with its figures fixed as the tax file carries them: the
    // coefficient at 8 decimals, the credit and every asset's share in cents. Refuses, naming
    // them, when loaded assets no longer match the register: no credit from a stale load.
    static void appropriate(CompetenciaStore& store, const CompetenciaRow& row,
                            const QString& taxKind, ExitMonthInstalment exit);
};

} // namespace ciap::server
