#include "PacketWriter.h"

namespace ciap::server {

PacketWriter::PacketWriter(const QList<FieldDef>& fields, qsizetype bytesHint)
    : m_writer(m_out) {
    m_out.reserve(bytesHint + 256);
    m_writer.raw("{\"fields\":[");
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields.at(i);
        if (i > 0)
            m_writer.raw(',');
        m_writer.raw("{\"name\":");
        m_writer.string(f.name);
        m_writer.raw(",\"type\":");
        m_writer.string(fieldTypeName(f.type));
        if (f.type == FieldType::String) {
            m_writer.raw(",\"size\":");
            m_writer.raw(QByteArray::number(f.size));
        }
        m_writer.raw('}');
    }
    m_writer.raw("],\"rows\":[");
}

void PacketWriter::beginRow() {
    if (!m_firstRow)
        m_writer.raw(',');
    m_firstRow = false;
    m_firstCell = true;
    m_writer.raw('[');
}

void PacketWriter::separator() {
    if (!m_firstCell)
        m_writer.raw(',');
    m_firstCell = false;
}

void PacketWriter::text(QStringView value) {
    separator();
    m_writer.string(value);
}

void PacketWriter::textUtf8(const char* data, qsizetype size) {
    separator();
    static constexpr char hex[] = "0123456789abcdef";
    m_out.append('"');
    qsizetype plain = 0; // start of the run of bytes that need no escape
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        m_out.append(data + plain, i - plain);
        plain = i + 1;
        switch (c) {
        case '"':
            m_out.append("\\\"", 2);
            break;
        case '\\':
            m_out.append("\\\\", 2);
            break;
        case '\n':
            m_out.append("\\n", 2);
            break;
        case '\r':
            m_out.append("\\r", 2);
            break;
        case '\t':
            m_out.append("\\t", 2);
            break;
        default: {
            const char esc[6] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xf]};
            m_out.append(esc, 6);
        }
        }
    }
    m_out.append(data + plain, size - plain);
    m_out.append('"');
}

void PacketWriter::number(double value) {
    separator();
    m_writer.number(value);
}

void PacketWriter::date(const QDate& value) {
    separator();
    if (value.isValid())
        m_writer.date(value);
    else
        m_writer.raw("null");
}

void PacketWriter::null() {
    separator();
    m_writer.raw("null");
}

void PacketWriter::endRow() {
    m_writer.raw(']');
}

QByteArray PacketWriter::finish() {
    m_writer.raw("]}");
    return std::move(m_out);
}

QByteArray PacketWriter::emptyPacket(const QList<FieldDef>& fields) {
    return PacketWriter(fields).finish();
}

} // namespace ciap::server
