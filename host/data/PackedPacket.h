#pragma once

#include "DataPacket.h"
#include "PackedRow.h"
#include "PacketSink.h"

#include <QByteArray>
#include <QMetaType>
#include <optional>
#include <vector>

// A data packet as the connection received it: its rows already packed, with the packet's own
// fields, so that a data set declared with those fields takes them over as they are instead of
// converting 100,000 rows on the user-interface thread. A QVariant holding one converts to a
// ciap::DataPacket.
struct PackedPacket {
    QList<ciap::FieldDef> fields;
    std::vector<PackedRow> rows;

    ciap::DataPacket toDataPacket() const;
};

Q_DECLARE_METATYPE(PackedPacket)

// Packs rows as the decoder reads them. It may run on a worker thread; what take() gives is
// then handed over whole (the rows' reference counts are not atomic).
class PackedPacketBuilder final : public ciap::PacketSink {
public:
    PackedPacketBuilder();
    void begin(const QList<ciap::FieldDef>& fields) override;
    void row(std::span<const ciap::PacketCell> cells) override;
    QVariant take() override;

private:
    PackedPacket m_packet;
    std::optional<PackedRow::CellPacker> m_packer;
};

// A packet's JSON text read into its packed form. Throws ciap::ProtocolError.
PackedPacket decodePackedPacket(const QByteArray& json);
