#pragma once

#include "DataPacket.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <cstring>
#include <functional>
#include <limits>

namespace ciap {

// Writes a data packet's JSON text row by row, in the form decodePacket reads, without
// building a document: how the server answers. A month may hold 100,000 assets: cells are
// written straight into one growing buffer, with no per-cell allocation.
class PacketWriter final {
public:
    explicit PacketWriter(const QList<FieldDef>& fields, qsizetype bytesHint = 0);

    // Hands the text written so far to spill each time it passes about bytes (at the end of a
    // row), so that a long packet leaves while its rows are still being read; finish() then
    // gives what follows the last piece. Each piece after the first starts a new batch of rows,
    // marked by a tab before its first row (so is the first batch): white space to any JSON
    // reader, and, since a raw tab cannot stand inside a JSON string, a place where a reader
    // that knows may split the rows without reading what came before.
    void spillEvery(qsizetype bytes, std::function<void(QByteArrayView)> spill);

    void beginRow();
    void text(QStringView value);
    void textUtf8(const char* data, qsizetype size); // already UTF-8
    void number(double value);                       // not finite (never stored): null
    void date(const QDate& value);                   // invalid: null
    void null();
    void endRow() {
        put(']');
        if (m_size >= m_spillAt)
            spill();
    }
    QByteArray finish();

    static QByteArray emptyPacket(const QList<FieldDef>& fields);

private:
    void separator();
    void spill();
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
    qsizetype m_spillAt = std::numeric_limits<qsizetype>::max();
    std::function<void(QByteArrayView)> m_spill;
    bool m_batchStarts = false; // the next row starts a batch: a tab goes before it
    bool m_firstRow = true;
    bool m_firstCell = true;
};

} // namespace ciap
