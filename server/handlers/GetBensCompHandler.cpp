#include "GetBensCompHandler.h"

#include "BensCompQuery.h"
#include "PacketWriter.h"
#include "Packets.h"
#include "Params.h"

namespace ciap::server {

QByteArray GetBensCompHandler::handle(const QJsonArray& params, Session& session) const {
    return read(params, session, {});
}

QByteArray GetBensCompHandler::handleStreaming(const QJsonArray& params, Session& session,
                                               ResultStream& stream) const {
    return read(params, session, [&stream](QByteArrayView piece) { stream.send(piece); });
}

QByteArray GetBensCompHandler::read(const QJsonArray& params, Session& session,
                                    const BensCompQuery::Spill& spill) const {
    const Params p(name(), params, argumentNames());
    // An empty list on the first tab has no current competência: its assets are none.
    if (p.text(0).trimmed().isEmpty() || p.text(3).trimmed().isEmpty())
        return PacketWriter::emptyPacket(Packets::bensComp());
    const Month month = p.month(0);
    const QString company = p.company(1);
    const QString tax = p.tax(2);
    const qint64 sequence = p.sequence(3);
    return BensCompQuery::packet(session, company, tax, sequence, month, spill);
}

} // namespace ciap::server
