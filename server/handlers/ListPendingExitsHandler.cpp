#include "ListPendingExitsHandler.h"

#include "DocumentRules.h"
#include "DocumentStore.h"
#include "Params.h"
#include "RegisterArguments.h"
#include "RegisterPackets.h"

namespace ciap::server {

QByteArray ListPendingExitsHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = RegisterArguments::company(p, 0, session);
    QList<QVariantList> rows;
    for (const PendingExit& e : DocumentStore(session).pendingExits(company)) {
        rows.append({e.key, double(e.item), e.registration, e.cfop, e.productCode, e.description,
                     double(e.quantity) / double(QuantityScale), e.date,
                     DocumentRules::exitKind(e.cfop.toInt()), e.reason,
                     e.candidates.isEmpty() ? QVariant()
                                            : QVariant(e.candidates.join(QStringLiteral(", ")))});
    }
    return RegisterPackets::write(RegisterPackets::pendingExits(), rows);
}

} // namespace ciap::server
