#include "CarregaImpostoNFBemParcelaHandler.h"

#include "CompetenciaStore.h"
#include "HandlerSupport.h"
#include "MonthLoader.h"
#include "PacketWriter.h"
#include "Packets.h"
#include "Params.h"
#include "RegisterStore.h"
#include "TaxTablesStore.h"
#include "TransactionGuard.h"

namespace ciap::server {

namespace {

QByteArray answer(const char* text) {
    PacketWriter w(Packets::retorno());
    w.beginRow();
    w.text(QString::fromLatin1(text));
    w.endRow();
    return w.finish();
}

} // namespace

QByteArray CarregaImpostoNFBemParcelaHandler::handle(const QJsonArray& params,
                                                     Session& session) const {
    const Params p(name(), params, argumentNames());
    const Month month = p.month(0);
    const QString company = p.company(1);
    const QString tax = p.tax(2);
    // The client's balance is what it showed; the server derives its own from the assets.
    if (!p.isNull(3))
        p.number(3);
    const QString mode = p.text(4).trimmed();
    if (mode != QLatin1String("IMP") && mode != QLatin1String("BEM"))
        p.fail(4, QStringLiteral("deve ser \"IMP\" ou \"BEM\"."));
    const QString registration = p.registration(5);
    const qint64 sequence = p.sequence(6);

    RegisterStore registers(session);
    const TaxInfo info = HandlerSupport::requireTax(registers, tax);
    TransactionGuard tx(session);
    CompetenciaStore store(session);
    CompetenciaRow row =
        HandlerSupport::requireCompetencia(store, company, tax, sequence, month, registration);
    HandlerSupport::requirePending(row);

    TaxTablesStore tables(session);
    MonthLoader loader(registers, tables, store);
    const bool loaded = mode == QLatin1String("IMP") ? loader.loadOutgoing(row, info)
                                                     : loader.loadAssets(row, info);
    if (!loaded)
        return answer(mode == QLatin1String("IMP") ? "TOTAL_NULO" : "N_PARCELAS");
    tx.commit();
    return answer("OK");
}

} // namespace ciap::server
