#pragma once

#include "CompetenciaRow.h"

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
    // After any change to the outgoing values or to the assets.
    static void recompute(CompetenciaStore& store, const CompetenciaRow& row,
                          const QString& taxKind);
};

} // namespace ciap::server
