#include "GravaInfBensCiapHandler.h"

#include "CiapRules.h"
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

QByteArray GravaInfBensCiapHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = p.company(0);
    const QString asset = p.asset(1);
    const QString tax = p.tax(2);
    const Month month = Month::of(p.date(3));
    const QString operation = p.text(4).trimmed();
    if (operation != QLatin1String("I") && operation != QLatin1String("D"))
        p.fail(4, QStringLiteral("deve ser \"I\" (incluir) ou \"D\" (excluir)."));
    const QString registration = p.registration(5);
    const qint64 sequence = p.sequence(6);

    RegisterStore registers(session);
    const TaxInfo info = HandlerSupport::requireTax(registers, tax);
    TransactionGuard tx(session);
    CompetenciaStore store(session);
    const CompetenciaRow row =
        HandlerSupport::requireCompetencia(store, company, tax, sequence, month, registration);
    HandlerSupport::requirePending(row);
    if (operation == QLatin1String("I")) {
        const auto record = registers.asset(company, asset);
        if (!record || record->registration != row.registration)
            throw ServiceError::rule(ServerMessages::assetNotRegistered());
        const ExitMonthInstalment exit =
            TaxTablesStore(session).exitMonthInstalment(company, row.registration);
        if (!CiapRules::takesPart(*record, month, exit))
            throw ServiceError::rule(ServerMessages::assetWithoutInstalment());
        store.upsertAsset(row, asset, CiapRules::instalmentCents(*record, month, exit),
                          CompetenciaFigures::appropriationFactor(row, info.kind));
    } else {
        store.removeAsset(row, asset);
    }
    CompetenciaFigures::recompute(store, row, info.kind);
    tx.commit();
    return nullResult();
}

} // namespace ciap::server
