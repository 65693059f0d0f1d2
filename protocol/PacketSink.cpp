#include "PacketSink.h"

#include <algorithm>

namespace ciap {

PacketSink::~PacketSink() = default;

void DataPacketBuilder::begin(const QList<FieldDef>& fields) {
    m_packet = DataPacket{fields, {}};
    m_caches.assign(std::size_t(fields.size()), {});
}

void DataPacketBuilder::row(std::span<const PacketCell> cells) {
    QVariantList values;
    values.reserve(qsizetype(cells.size()));
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const PacketCell& cell = cells[c];
        switch (cell.kind) {
        case PacketCell::Kind::Null:
            values.append(QVariant());
            break;
        case PacketCell::Kind::Text:
            values.append(sharedString(c, cell.utf8));
            break;
        case PacketCell::Kind::WideText:
            values.append(cell.utf16.toString());
            break;
        case PacketCell::Kind::Number:
            values.append(cell.number);
            break;
        case PacketCell::Kind::Date:
            values.append(QDate::fromJulianDay(cell.julianDay));
            break;
        }
    }
    m_packet.rows.append(std::move(values));
}

QVariant DataPacketBuilder::take() {
    return QVariant::fromValue(takePacket());
}

DataPacket DataPacketBuilder::takePacket() {
    m_caches.clear();
    return std::exchange(m_packet, DataPacket{});
}

QString DataPacketBuilder::sharedString(std::size_t column, std::string_view utf8) {
    const bool ascii =
        std::all_of(utf8.begin(), utf8.end(), [](char c) { return uchar(c) < 0x80; });
    if (!ascii || utf8.size() > CachedLength)
        return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    uint hash = 2166136261u;
    for (const char c : utf8)
        hash = (hash ^ uchar(c)) * 16777619u;
    QString& slot = m_caches[column][hash % CacheSlots];
    const QLatin1StringView text(utf8.data(), qsizetype(utf8.size()));
    if (!slot.isNull() && slot.size() == text.size() && text == slot)
        return slot;
    slot = QString(text);
    return slot;
}

} // namespace ciap
