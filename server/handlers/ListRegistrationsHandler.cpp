#include "ListRegistrationsHandler.h"

#include "Params.h"
#include "RegisterArguments.h"
#include "RegisterPackets.h"
#include "RegistryStore.h"

namespace ciap::server {

QByteArray ListRegistrationsHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = RegisterArguments::company(p, 0, session);
    QList<QVariantList> rows;
    for (const Registration& r : RegistryStore(session).registrations()) {
        if (r.company != company)
            continue;
        rows.append({r.code, r.cnpj.isEmpty() ? QVariant() : QVariant(r.cnpj),
                     r.uf.isEmpty() ? QVariant() : QVariant(r.uf),
                     r.municipality.isEmpty() ? QVariant() : QVariant(r.municipality),
                     double(r.instalments)});
    }
    return RegisterPackets::write(RegisterPackets::registrations(), rows);
}

} // namespace ciap::server
