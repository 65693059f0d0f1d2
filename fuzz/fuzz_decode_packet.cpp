// Any bytes given to decodePacket end in a packet or a ProtocolError; a packet that was
// accepted survives encoding and decoding unchanged, and both readers agree on it.
#include "PacketCodec.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <cstdlib>

using namespace ciap;

namespace {

bool samePackets(const DataPacket& a, const DataPacket& b) {
    if (a.fields != b.fields || a.rows.size() != b.rows.size())
        return false;
    for (qsizetype r = 0; r < a.rows.size(); ++r) {
        for (qsizetype c = 0; c < a.fields.size(); ++c) {
            const QVariant& x = a.rows[r][c];
            const QVariant& y = b.rows[r][c];
            if (x.isValid() != y.isValid() || (x.isValid() && x != y))
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    DataPacket packet;
    try {
        packet = decodePacket(json);
    } catch (const ProtocolError&) {
        return 0;
    }
    const DataPacket again = decodePacket(encodePacket(packet));
    if (!samePackets(packet, again))
        std::abort();
    // Qt's reader is laxer about syntax, never stricter: what we accept it reads the same.
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject() || !samePackets(packetFromJson(document.object()), packet))
        std::abort();
    return 0;
}
