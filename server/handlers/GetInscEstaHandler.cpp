#include "GetInscEstaHandler.h"

#include "PacketWriter.h"
#include "Packets.h"
#include "Params.h"
#include "RegisterStore.h"

namespace ciap::server {

QByteArray GetInscEstaHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString typedCompany = p.text(0);
    const bool all = p.text(1).trimmed().compare(QLatin1String("T"), Qt::CaseInsensitive) == 0;
    const QString typed = p.registration(2);
    PacketWriter w(Packets::inscEsta());
    // The screen's look-up passes the company code as it stands, even empty.
    if (typedCompany.trimmed().isEmpty())
        return w.finish();
    const QString company = p.company(0);
    RegisterStore registers(session);
    QStringList rows;
    if (all) {
        rows = registers.registrations(company);
    } else if (const auto one = registers.resolveRegistration(company, typed)) {
        rows << *one;
    }
    for (const QString& r : rows) {
        w.beginRow();
        w.text(r);
        w.endRow();
    }
    return w.finish();
}

} // namespace ciap::server
