#include "GetVrParcelBemCompHandler.h"

#include "CiapRules.h"
#include "PacketWriter.h"
#include "Packets.h"
#include "Params.h"
#include "RegisterStore.h"
#include "TaxTablesStore.h"

namespace ciap::server {

QByteArray GetVrParcelBemCompHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const Month month = p.month(0);
    p.tax(1); // every tax draws on the same register
    const QString company = p.company(2);
    const QString typed = p.registration(3);
    RegisterStore registers(session);
    PacketWriter w(Packets::vrParcel());
    const auto registration = registers.resolveRegistration(company, typed);
    if (!registration)
        return w.finish();
    const ExitMonthInstalment exit =
        TaxTablesStore(session).exitMonthInstalment(company, *registration);
    qint64 cents = 0;
    bool any = false;
    for (const AssetRecord& asset : registers.assetsInPlay(company, *registration, month)) {
        if (!CiapRules::takesPart(asset, month, exit))
            continue;
        any = true;
        cents += CiapRules::instalmentCents(asset, month, exit);
    }
    if (any) {
        w.beginRow();
        w.number(double(cents) / 100.0);
        w.endRow();
    }
    return w.finish();
}

} // namespace ciap::server
