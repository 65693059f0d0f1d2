#pragma once

#include "DataPacket.h"
#include "PacketSink.h"

#include <QByteArray>
#include <QJsonValue>
#include <stdexcept>

namespace ciap {

// Malformed input: the text says what is wrong, for the user and for the log.
class ProtocolError : public std::runtime_error {
public:
    explicit ProtocolError(const QString& message);
    QString message() const;
};

// JSON form: {"fields":[{"name":..,"type":"string"|"float"|"datetime","size":n}],"rows":[[..],..]}
QJsonValue packetToJson(const DataPacket& packet);
DataPacket packetFromJson(const QJsonValue& value); // throws ProtocolError
// Fast paths straight from/to UTF-8 bytes of one JSON object. Decoding reads the text in
// place when the buffer has FrameReader::Padding bytes of capacity behind its end (frames
// from a FrameReader have), and a copy otherwise.
QByteArray encodePacket(const DataPacket& packet);
DataPacket decodePacket(const QByteArray& json);             // throws ProtocolError
void decodePacket(const QByteArray& json, PacketSink& sink); // throws ProtocolError
// A JSON array of rows alone, of the given fields (a batch of a packet's rows).
void decodePacketRows(const QByteArray& rows, const QList<FieldDef>& fields, PacketSink& sink);

// {"fields":[..],"changes":[{"status":"inserted"|"modified"|"deleted","old":[..]|null,"new":[..]|null}]}
QJsonValue deltaToJson(const Delta& delta);
Delta deltaFromJson(const QJsonValue& value); // throws ProtocolError

// A single value as it travels: dates as "YYYY-MM-DD", null as null.
QJsonValue valueToJson(const QVariant& value, FieldType type);
QVariant valueFromJson(const QJsonValue& value, FieldType type); // throws ProtocolError

// True when the JSON object looks like a data packet (has "fields" and "rows").
bool isPacketJson(const QJsonValue& value);

} // namespace ciap
