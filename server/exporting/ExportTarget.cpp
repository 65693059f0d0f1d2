#include "ExportTarget.h"

#include "ExportMessages.h"
#include "RegisterStore.h"
#include "RegistryStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"

namespace ciap::server {

ExportTarget resolveExportTarget(Session& session, const QString& company,
                                 const QString& registration) {
    RegisterStore registers(session);
    const auto companyName = registers.companyName(company);
    if (!companyName)
        throw ServiceError::rule(ServerMessages::companyNotRegistered());
    const auto code = registers.resolveRegistration(company, registration);
    if (!code)
        throw ServiceError::rule(ServerMessages::registrationNotRegistered());
    return {*companyName, *code, RegistryStore(session).registration(company, *code).value()};
}

std::optional<CompetenciaRow> exportedCompetencia(const QList<CompetenciaRow>& month,
                                                  const Month& which, const QString& tax) {
    if (!tax.isEmpty()) {
        for (const CompetenciaRow& r : month) {
            if (r.tax == tax)
                return r;
        }
        throw ServiceError::rule(ExportMessages::taxWithoutCompetencia(which.text(), tax));
    }
    QList<CompetenciaRow> appropriated;
    QStringList taxes;
    for (const CompetenciaRow& r : month) {
        if (r.appropriated()) {
            appropriated << r;
            taxes << r.tax;
        }
    }
    if (appropriated.size() > 1)
        throw ServiceError::rule(ExportMessages::severalTaxes(which.text(), taxes));
    if (!appropriated.isEmpty())
        return appropriated.first();
    if (!month.isEmpty())
        return month.first();
    return std::nullopt;
}

QString plainCode(const QString& code) {
    QString out;
    for (QChar c : code) {
        if (c.isLetterOrNumber())
            out += c;
    }
    return out;
}

} // namespace ciap::server
