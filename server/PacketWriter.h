#pragma once

#include "DataPacket.h"
#include "JsonWriter.h"

#include <QByteArray>
#include <QDate>
#include <QList>

namespace ciap::server {

// Writes a data packet's JSON text row by row, in the form decodePacket reads, without
// building a document: large answers cost little more than their bytes.
class PacketWriter final {
public:
    explicit PacketWriter(const QList<FieldDef>& fields, qsizetype bytesHint = 0);
    PacketWriter(const PacketWriter&) = delete; // the writer points into m_out
    PacketWriter& operator=(const PacketWriter&) = delete;

    void beginRow();
    void text(QStringView value);
    void textUtf8(const char* data, qsizetype size); // already UTF-8
    void number(double value);
    void date(const QDate& value);
    void null();
    void endRow();
    QByteArray finish();

    static QByteArray emptyPacket(const QList<FieldDef>& fields);

private:
    void separator();

    QByteArray m_out;
    JsonWriter m_writer;
    bool m_firstRow = true;
    bool m_firstCell = true;
};

} // namespace ciap::server
