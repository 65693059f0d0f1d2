#include "ListAssetsHandler.h"

#include "AssetRegisterRows.h"
#include "Params.h"
#include "RegisterArguments.h"
#include "RegisterPackets.h"
#include "RegisterStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"

namespace ciap::server {

QByteArray ListAssetsHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = RegisterArguments::company(p, 0, session);
    QString registration = p.registration(1);
    if (!registration.isEmpty()) {
        const auto stored = RegisterStore(session).resolveRegistration(company, registration);
        if (!stored)
            throw ServiceError::rule(ServerMessages::registrationNotRegistered());
        registration = *stored;
    }
    return RegisterPackets::write(RegisterPackets::assets(),
                                  AssetRegisterRows(session).list(company, registration));
}

} // namespace ciap::server
