#include "PacketWriter.h"

#include "JsonWriter.h"

#include <charconv>
#include <cmath>

namespace ciap {

PacketWriter::PacketWriter(const QList<FieldDef>& fields, qsizetype bytesHint) {
    QByteArray header;
    JsonWriter w(header);
    w.raw("{\"fields\":[");
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields.at(i);
        if (i > 0)
            w.raw(',');
        w.raw("{\"name\":");
        w.string(f.name);
        w.raw(",\"type\":");
        w.string(fieldTypeName(f.type));
        if (f.type == FieldType::String) {
            w.raw(",\"size\":");
            w.raw(QByteArray::number(f.size));
        }
        w.raw('}');
    }
    w.raw("],\"rows\":[");
    ensure(header.size() + bytesHint + 64);
    put(header.constData(), header.size());
}

void PacketWriter::grow(qsizetype more) {
    m_capacity = std::max(m_capacity * 2, m_size + more + 4096);
    m_out.resize(m_capacity); // new bytes are not initialised: only m_size of them count
    m_data = m_out.data();
}

void PacketWriter::spillEvery(qsizetype bytes, std::function<void(QByteArrayView)> spill) {
    m_spillAt = bytes;
    m_spill = std::move(spill);
    m_batchStarts = true;
}

void PacketWriter::spill() {
    m_spill(QByteArrayView(m_data, m_size));
    m_size = 0;
    m_batchStarts = true;
}

void PacketWriter::beginRow() {
    if (!m_firstRow)
        put(',');
    if (m_batchStarts)
        put('\t');
    m_batchStarts = false;
    m_firstRow = false;
    m_firstCell = true;
    put('[');
}

void PacketWriter::separator() {
    if (!m_firstCell)
        put(',');
    m_firstCell = false;
}

void PacketWriter::text(QStringView value) {
    const QByteArray utf8 = value.toUtf8();
    textUtf8(utf8.constData(), utf8.size());
}

void PacketWriter::textUtf8(const char* data, qsizetype size) {
    separator();
    static constexpr char hex[] = "0123456789abcdef";
    ensure(size + 2);
    m_data[m_size++] = '"';
    qsizetype plain = 0; // start of the run of bytes that need no escape
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        put(data + plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '"':
            put("\\\"", 2);
            break;
        case '\\':
            put("\\\\", 2);
            break;
        case '\n':
            put("\\n", 2);
            break;
        case '\r':
            put("\\r", 2);
            break;
        case '\t':
            put("\\t", 2);
            break;
        default: {
            const char esc[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xf]};
            put(esc, 6);
        }
        }
    }
    put(data + plain, size - plain);
    put('"');
}

void PacketWriter::number(double value) {
    separator();
    if (!std::isfinite(value)) {
        put("null", 4);
        return;
    }
    ensure(32);
    // Shortest text that reads back to the same double.
    const auto r = std::to_chars(m_data + m_size, m_data + m_size + 32, value);
    m_size = r.ptr - m_data;
}

void PacketWriter::date(const QDate& value) {
    separator();
    char text[12];
    if (!quotedIsoDate(value, text)) {
        put("null", 4);
        return;
    }
    put(text, 12);
}

void PacketWriter::null() {
    separator();
    put("null", 4);
}

QByteArray PacketWriter::finish() {
    put("]}", 2);
    m_out.resize(m_size);
    m_data = nullptr;
    m_capacity = 0;
    return std::move(m_out);
}

QByteArray PacketWriter::emptyPacket(const QList<FieldDef>& fields) {
    return PacketWriter(fields).finish();
}

} // namespace ciap
