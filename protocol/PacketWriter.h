#pragma once

#include "DataPacket.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <cstring>

namespace ciap {

// Writes a data packet's JSON text row by row, in the form decodePacket reads, without
// building a document: how the server answers. A month may hold 100,000 assets: cells are
// written straight into one growing buffer, with no per-cell allocation.
class PacketWriter final {
public:
    explicit PacketWriter(const QList<FieldDef>& fields, qsizetype bytesHint = 0);

    void beginRow();
    void text(QStringView value);
    void textUtf8(const char* data, qsizetype size); // already UTF-8
    void number(double value);                       // not finite (never stored): null
    void date(const QDate& value);                   // invalid: null
    void null();
    void endRow() { put(']'); }
    QByteArray finish();

    static QByteArray emptyPacket(const QList<FieldDef>& fields);

private:
    void separator();
    void ensure(qsizetype more) {
        if (m_size + more > m_capacity)
            grow(more);
    }
    void grow(qsizetype more);
    void put(char c) {
        ensure(1);
        m_data[m_size++] = c;
    }
    void put(const char* text, qsizetype size) {
        ensure(size);
        std::memcpy(m_data + m_size, text, std::size_t(size));
        m_size += size;
    }

    QByteArray m_out;
    char* m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
    bool m_firstRow = true;
    bool m_firstCell = true;
};

} // namespace ciap
