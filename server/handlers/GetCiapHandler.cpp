#include "GetCiapHandler.h"

#include "CompetenciaStore.h"
#include "Keys.h"
#include "PacketWriter.h"
#include "Packets.h"
#include "Params.h"
#include "RegisterStore.h"

namespace ciap::server {

QByteArray GetCiapHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString company = p.company(0);
    const QString tax = p.tax(1);
    const Month from = Month::of(p.date(2));
    const Month to = Month::of(p.date(3));
    const QString appropriatedText = p.text(4);
    const QString pendingText = p.text(5);
    const QString typed = p.registration(6);

    PacketWriter w(Packets::ciap());
    std::optional<QString> registration;
    if (!typed.isEmpty() && typed.compare(QLatin1String("T"), Qt::CaseInsensitive) != 0) {
        registration = RegisterStore(session).resolveRegistration(company, typed);
        if (!registration)
            return w.finish();
    }
    if (from > to)
        return w.finish();
    for (const CompetenciaRow& r :
         CompetenciaStore(session).list(company, tax, from, to, registration)) {
        const QString situationText = r.appropriated()                    ? appropriatedText
                                      : r.situation == QLatin1String("P") ? pendingText
                                                                          : QString();
        const QString nome =
            QStringLiteral("%1 - %2 - %3 - %4 - IE %5")
                .arg(r.month.text(), situationText, r.companyName, r.taxName, r.registration)
                .left(Packets::NomeSize);
        w.beginRow();
        w.text(r.company);
        w.text(r.tax);
        w.text(r.month.text());
        w.number(r.total);
        w.number(r.taxed);
        w.number(r.coefficient);
        w.number(r.balance);
        w.number(r.credit);
        w.text(r.situation);
        w.text(Keys::locate(r.sequence));
        w.date(r.month.firstDay());
        w.text(nome);
        w.number(r.assetCount);
        w.text(r.registration);
        w.text(Keys::formatSequence(r.sequence));
        w.endRow();
    }
    return w.finish();
}

} // namespace ciap::server
