#pragma once

#include "DataPacket.h"

#include <QStringView>
#include <QVariant>
#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace ciap {

// One value of a packet row as the decoder read it, already checked against its field's type.
struct PacketCell {
    enum class Kind : quint8 { Null, Text, WideText, Number, Date };
    Kind kind = Kind::Null;
    std::string_view utf8; // Text: UTF-8, unescaped; valid while the row is handed over
    QStringView utf16;     // WideText: a text only UTF-16 holds (a lone surrogate)
    double number = 0;     // Number
    qint64 julianDay = 0;  // Date
};

// Where a decoder puts a packet, so that each receiver keeps the rows in its own form without
// a QVariant per value first: the fields once, then every row.
class PacketSink {
public:
    virtual ~PacketSink();
    virtual void begin(const QList<FieldDef>& fields) = 0;
    virtual void row(std::span<const PacketCell> cells) = 0; // one cell per field
    // The packet received, as a QVariant; the sink is ready for the next one.
    virtual QVariant take() = 0;
};

// Builds a DataPacket. Identical short strings in a column share one QString, so that repeated
// codes cost no memory.
class DataPacketBuilder final : public PacketSink {
public:
    void begin(const QList<FieldDef>& fields) override;
    void row(std::span<const PacketCell> cells) override;
    QVariant take() override;
    DataPacket takePacket();

private:
    static constexpr int CacheSlots = 64;
    static constexpr std::size_t CachedLength = 32;
    QString sharedString(std::size_t column, std::string_view utf8);

    DataPacket m_packet;
    std::vector<std::array<QString, CacheSlots>> m_caches;
};

} // namespace ciap
