#pragma once

#include "JsonReader.h"
#include "PacketCodec.h"
#include "PacketSink.h"

#include <QList>
#include <vector>

namespace ciap::json {

// A packet whose JSON is well-formed but not a packet's shape.
class PacketShapeError : public ProtocolError {
public:
    using ProtocolError::ProtocolError;
};

// Reads a data packet from the value of a JSON document into a sink, checking its shape
// against the fields as it goes; "rows" may come before "fields". Errors of shape name their
// offset from the packet's start.
class PacketReader final {
public:
    PacketReader(JsonReader& json, const char* packetStart, PacketSink& sink);

    // The document's root value as a packet, and nothing after it.
    static void readDocument(JsonReader& json, PacketSink& sink);
    void read(od::object packet);
    // Rows of the given fields alone: the document is an array of them.
    void readRowsDocument(const QList<FieldDef>& fields);
    const char* rowsStart() const { return m_rowsStart; } // where "rows" opened its array

private:
    void readFields(od::value& value);
    FieldDef readField(od::value& value, qsizetype index);
    void readRows(JsonReader& json, od::value& value);
    void readRowArray(JsonReader& json, od::array rows);
    void readCell(JsonReader& json, od::value& value, qsizetype column, qsizetype row);
    [[noreturn]] void failAt(const char* at, const QString& what) const;
    [[noreturn]] void failCell(od::value& value, const FieldDef& field, qsizetype row,
                               const QString& what) const;

    JsonReader& m_json;
    const char* m_packetStart;
    PacketSink& m_sink;
    QList<FieldDef> m_fields;
    std::vector<PacketCell> m_cells;
    std::vector<QString> m_wide; // the UTF-16 texts the cells of a row point to
    const char* m_rowsStart = nullptr;
};

} // namespace ciap::json
