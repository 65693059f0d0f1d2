#include "PackedPacket.h"

#include "PacketCodec.h"

ciap::DataPacket PackedPacket::toDataPacket() const {
    ciap::DataPacket packet{fields, {}};
    const PackedRow::Defs defs{fields.constData(), std::size_t(fields.size())};
    packet.rows.reserve(qsizetype(rows.size()));
    for (const PackedRow& row : rows)
        packet.rows.append(row.values(defs));
    return packet;
}

PackedPacketBuilder::PackedPacketBuilder() {
    // Whoever reads a server answer as a DataPacket still can.
    [[maybe_unused]] static const bool converts =
        QMetaType::registerConverter<PackedPacket, ciap::DataPacket>(&PackedPacket::toDataPacket);
}

void PackedPacketBuilder::begin(const QList<ciap::FieldDef>& fields) {
    m_packet = PackedPacket{fields, {}};
    m_packer.emplace(
        PackedRow::Defs{m_packet.fields.constData(), std::size_t(m_packet.fields.size())});
}

void PackedPacketBuilder::row(std::span<const ciap::PacketCell> cells) {
    m_packet.rows.push_back(m_packer->pack(cells));
}

QVariant PackedPacketBuilder::take() {
    m_packer.reset();
    return QVariant::fromValue(std::exchange(m_packet, PackedPacket{}));
}

PackedPacket decodePackedPacket(const QByteArray& json) {
    PackedPacketBuilder builder;
    ciap::decodePacket(json, builder);
    QVariant packet = builder.take();
    return std::move(*static_cast<PackedPacket*>(packet.data()));
}
