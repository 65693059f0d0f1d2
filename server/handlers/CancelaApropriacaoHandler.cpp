#include "CancelaApropriacaoHandler.h"

#include "CompetenciaStore.h"
#include "HandlerSupport.h"
#include "Params.h"
#include "ServerMessages.h"
#include "ServiceError.h"
#include "TransactionGuard.h"

namespace ciap::server {

QByteArray CancelaApropriacaoHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = p.company(0);
    const qint64 sequence = p.sequence(1);
    const Month month = Month::of(p.date(2));
    const QString tax = p.tax(3);
    TransactionGuard tx(session);
    CompetenciaStore store(session);
    const CompetenciaRow row =
        HandlerSupport::requireCompetencia(store, company, tax, sequence, month, std::nullopt);
    if (!row.appropriated())
        throw ServiceError::rule(ServerMessages::notAppropriated());
    store.setSituation(row, QStringLiteral("P"));
    tx.commit();
    return textArray(QStringLiteral("OK"));
}

} // namespace ciap::server
