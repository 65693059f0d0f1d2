#include "DelBensCompHandler.h"

#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "HandlerSupport.h"
#include "Params.h"
#include "RegisterStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"
#include "TransactionGuard.h"

namespace ciap::server {

QByteArray DelBensCompHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = p.company(0);
    const QString tax = p.tax(1);
    const Month month = p.month(2);
    const qint64 sequence = p.sequence(3);
    RegisterStore registers(session);
    const TaxInfo info = HandlerSupport::requireTax(registers, tax);
    TransactionGuard tx(session);
    CompetenciaStore store(session);
    const auto row = store.find(company, tax, sequence, true);
    // Already gone (another screen deleted it): nothing left to remove.
    if (!row)
        return nullResult();
    if (row->month != month)
        throw ServiceError::rule(ServerMessages::competenciaNotFound());
    HandlerSupport::requirePending(*row);
    store.removeAllAssets(*row);
    CompetenciaFigures::recompute(store, *row, info.kind);
    tx.commit();
    return nullResult();
}

} // namespace ciap::server
