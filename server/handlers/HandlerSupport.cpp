#include "HandlerSupport.h"

#include "CompetenciaStore.h"
#include "RegisterStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"

namespace ciap::server {

void HandlerSupport::requireCompany(RegisterStore& registers, const QString& company) {
    if (!registers.companyName(company))
        throw ServiceError::rule(ServerMessages::companyNotRegistered());
}

TaxInfo HandlerSupport::requireTax(RegisterStore& registers, const QString& tax) {
    const auto info = registers.tax(tax);
    if (!info)
        throw ServiceError::rule(ServerMessages::taxNotRegistered());
    return *info;
}

CompetenciaRow HandlerSupport::requireCompetencia(CompetenciaStore& store, const QString& company,
                                                  const QString& tax, qint64 sequence,
                                                  const std::optional<Month>& month,
                                                  const std::optional<QString>& registration) {
    const auto row = store.find(company, tax, sequence, true);
    if (!row || (month && row->month != *month) ||
        (registration &&
         row->registration.trimmed().compare(registration->trimmed(), Qt::CaseInsensitive) != 0))
        throw ServiceError::rule(ServerMessages::competenciaNotFound());
    return *row;
}

void HandlerSupport::requirePending(const CompetenciaRow& row) {
    if (row.appropriated())
        throw ServiceError::rule(ServerMessages::competenciaAppropriated());
}

} // namespace ciap::server
