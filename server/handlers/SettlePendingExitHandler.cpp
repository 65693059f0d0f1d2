#include "SettlePendingExitHandler.h"

#include "DocumentRules.h"
#include "DocumentStore.h"
#include "ImportMessages.h"
#include "Params.h"
#include "RegisterArguments.h"
#include "RegisterEditing.h"
#include "ServiceError.h"
#include "TransactionGuard.h"

namespace ciap::server {

QByteArray SettlePendingExitHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = RegisterArguments::company(p, 0, session);
    const QString key = p.text(1).trimmed();
    const int item = RegisterArguments::item(p, 2);
    const QStringList assets = RegisterArguments::assets(p, 3);
    TransactionGuard tx(session);
    std::optional<PendingExit> pending;
    for (const PendingExit& e : DocumentStore(session).pendingExits(company)) {
        if (e.key == key && e.item == item)
            pending = e;
    }
    if (!pending)
        throw ServiceError::rule(ImportMessages::pendingExitNotFound(key, item));
    // The assets leave as the invoice's item says: on its date, by its CFOP.
    RegisterEditing editing(session);
    const QString kind = DocumentRules::exitKind(pending->cfop.toInt());
    for (const QString& code : assets)
        editing.recordExit(company, code, pending->date, kind, key, item);
    tx.commit();
    return nullResult();
}

} // namespace ciap::server
