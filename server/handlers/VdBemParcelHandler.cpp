#include "VdBemParcelHandler.h"

#include "CiapRules.h"
#include "CompetenciaStore.h"
#include "PacketWriter.h"
#include "Packets.h"
#include "Params.h"
#include "RegisterStore.h"
#include "TaxTablesStore.h"

namespace ciap::server {

QByteArray VdBemParcelHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = p.company(0);
    const QString tax = p.tax(1);
    const Month month = p.month(2);
    const QString asset = p.asset(3);
    const QString typed = p.registration(4);

    PacketWriter w(Packets::vdBemParcel());
    RegisterStore registers(session);
    const auto registration = registers.resolveRegistration(company, typed);
    if (!registration)
        return w.finish();
    const auto record = registers.asset(company, asset);
    const ExitMonthInstalment exit =
        TaxTablesStore(session).exitMonthInstalment(company, *registration);
    if (!record || record->registration != *registration ||
        !CiapRules::takesPart(*record, month, exit))
        return w.finish();
    CompetenciaStore store(session);
    const auto competencia = store.findByKey(company, tax, *registration, month);
    const bool loaded = competencia && store.hasAsset(*competencia, asset);
    w.beginRow();
    w.text(record->number);
    w.text(record->name);
    w.text(record->patrimony);
    w.number(CiapRules::instalment(*record, month, exit));
    w.number(loaded ? Packets::AssetAlreadyLoaded : Packets::AssetFound);
    w.endRow();
    return w.finish();
}

} // namespace ciap::server
