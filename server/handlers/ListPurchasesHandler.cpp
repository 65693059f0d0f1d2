#include "ListPurchasesHandler.h"

#include "DocumentStore.h"
#include "Params.h"
#include "PurchaseStore.h"
#include "RegisterArguments.h"
#include "RegisterPackets.h"

namespace ciap::server {

namespace {

QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant flag(bool on) {
    return on ? QStringLiteral("S") : QStringLiteral("N");
}

} // namespace

QByteArray ListPurchasesHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = RegisterArguments::company(p, 0, session);
    const bool pendingOnly = RegisterArguments::flag(p, 1);
    PurchaseStore purchases(session);
    DocumentStore documents(session);
    QList<QVariantList> rows;
    for (const Purchase& h : purchases.list(company, pendingOnly)) {
        const auto other = documents.participant(company, h.participant);
        for (const PurchaseItem& i : purchases.items(h.key)) {
            rows.append({h.key,
                         h.registration,
                         h.number,
                         h.series,
                         h.issued,
                         h.entered,
                         textOrNull(h.participant),
                         other ? textOrNull(other->name) : QVariant(),
                         flag(h.own),
                         flag(h.interstate),
                         flag(h.cancelled),
                         double(i.number),
                         i.productCode,
                         i.description,
                         textOrNull(i.ncm),
                         i.cfop,
                         i.unit,
                         double(i.quantity) / double(QuantityScale),
                         double(i.valueCents),
                         double(i.icmsCents),
                         double(i.stCents),
                         double(i.freightCents),
                         flag(i.asset)});
        }
    }
    return RegisterPackets::write(RegisterPackets::purchases(), rows);
}

} // namespace ciap::server
