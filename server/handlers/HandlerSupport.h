#pragma once

#include "CompetenciaRow.h"
#include "TaxInfo.h"

#include <QString>
#include <optional>

namespace ciap::server {

class CompetenciaStore;
class RegisterStore;

// Look-ups that several handlers refuse the same way when they fail.
class HandlerSupport final {
public:
    static void requireCompany(RegisterStore& registers, const QString& company);
    static TaxInfo requireTax(RegisterStore& registers, const QString& tax);
    // The competência by identity, locked for change; month and registration, when given,
    // must be those of the stored row (a stale client names another).
    static CompetenciaRow requireCompetencia(CompetenciaStore& store, const QString& company,
                                             const QString& tax, qint64 sequence,
                                             const std::optional<Month>& month,
                                             const std::optional<QString>& registration);
    static void requirePending(const CompetenciaRow& row);
};

} // namespace ciap::server
