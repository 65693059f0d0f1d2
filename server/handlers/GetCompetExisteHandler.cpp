#include "GetCompetExisteHandler.h"

#include "CompetenciaStore.h"
#include "PacketWriter.h"
#include "Packets.h"
#include "Params.h"
#include "RegisterStore.h"

namespace ciap::server {

QByteArray GetCompetExisteHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const Month month = p.month(0);
    const QString tax = p.tax(1);
    const QString company = p.company(2);
    const QString typed = p.registration(3);
    int count = 0;
    if (const auto registration = RegisterStore(session).resolveRegistration(company, typed))
        count = CompetenciaStore(session).countByKey(company, tax, *registration, month);
    PacketWriter w(Packets::competExiste());
    w.beginRow();
    w.number(count);
    w.endRow();
    return w.finish();
}

} // namespace ciap::server
