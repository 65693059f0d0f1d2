#include "DismissPendingExitHandler.h"

#include "Params.h"
#include "RegisterArguments.h"
#include "RegisterEditing.h"
#include "TransactionGuard.h"

namespace ciap::server {

QByteArray DismissPendingExitHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = RegisterArguments::company(p, 0, session);
    const QString key = p.text(1).trimmed();
    const int item = RegisterArguments::item(p, 2);
    TransactionGuard tx(session);
    RegisterEditing(session).dismissPendingExit(company, key, item);
    tx.commit();
    return nullResult();
}

} // namespace ciap::server
