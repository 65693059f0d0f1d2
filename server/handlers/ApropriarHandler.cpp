#include "ApropriarHandler.h"

#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "HandlerSupport.h"
#include "Params.h"
#include "RegisterStore.h"
#include "ServerMessages.h"
#include "ServiceError.h"
#include "TaxTablesStore.h"
#include "TransactionGuard.h"

namespace ciap::server {

QByteArray ApropriarHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = p.company(0);
    const QString tax = p.tax(1);
    const Month month = p.month(2);
    // The client's coefficient is only what it showed; the stored figures are appropriated.
    if (!p.isNull(3))
        p.number(3);
    const qint64 sequence = p.sequence(4);
    RegisterStore registers(session);
    const TaxInfo info = HandlerSupport::requireTax(registers, tax);
    TransactionGuard tx(session);
    CompetenciaStore store(session);
    const CompetenciaRow row =
        HandlerSupport::requireCompetencia(store, company, tax, sequence, month, std::nullopt);
    if (row.appropriated())
        throw ServiceError::rule(ServerMessages::alreadyAppropriated());
    if (row.assetCount == 0)
        throw ServiceError::rule(ServerMessages::nothingToAppropriate());
    // Checked against the register inside the transaction: a sale recorded after the load
    // is seen here, not after the month is closed.
    TaxTablesStore tables(session);
    CompetenciaFigures::appropriate(store, row, info.kind,
                                    tables.exitMonthInstalment(company, row.registration));
    tx.commit();
    return nullResult();
}

} // namespace ciap::server
