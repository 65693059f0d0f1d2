#include "PacketParser.h"

#include "PacketCodec.h"

#include <QSet>

namespace ciap {

PacketParser::PacketParser(QByteArrayView json)
    : m_scanner(json) {}

DataPacket PacketParser::parse() {
    if (m_scanner.peek() == '\0')
        throw ProtocolError(QStringLiteral("the packet is empty"));
    if (m_scanner.peek() != '{')
        fail(QStringLiteral("a data packet must be a JSON object"));
    m_scanner.expect('{');
    DataPacket packet;
    bool haveFields = false;
    bool haveRows = false;
    qsizetype deferredRows = -1; // "rows" came before "fields"
    for (bool first = true; m_scanner.more(first, '}'); first = false) {
        const qsizetype keyOffset = m_scanner.offset();
        const QString key = m_scanner.readKey();
        if (key == u"fields") {
            if (haveFields)
                failAt(keyOffset, QStringLiteral("the packet has two \"fields\""));
            haveFields = true;
            packet.fields = parseFields();
            m_caches.assign(packet.fields.size(), StringCache{});
        } else if (key == u"rows") {
            if (haveRows)
                failAt(keyOffset, QStringLiteral("the packet has two \"rows\""));
            haveRows = true;
            if (haveFields) {
                parseRows(packet);
            } else {
                deferredRows = m_scanner.offset();
                m_scanner.skipValue();
            }
        } else {
            m_scanner.skipValue();
        }
    }
    m_scanner.expectEnd();
    if (!haveFields)
        throw ProtocolError(QStringLiteral("the packet has no \"fields\""));
    if (!haveRows)
        throw ProtocolError(QStringLiteral("the packet has no \"rows\""));
    if (deferredRows >= 0) {
        m_scanner.setOffset(deferredRows);
        parseRows(packet);
    }
    return packet;
}

QList<FieldDef> PacketParser::parseFields() {
    if (m_scanner.peek() != '[')
        fail(QStringLiteral("\"fields\" must be an array"));
    m_scanner.expect('[');
    QList<FieldDef> fields;
    QSet<QString> names;
    for (bool first = true; m_scanner.more(first, ']'); first = false) {
        const qsizetype offset = m_scanner.offset();
        FieldDef field = parseField(fields.size());
        if (names.contains(field.name.toUpper()))
            failAt(offset, QStringLiteral("the field %1 appears twice").arg(field.name));
        names.insert(field.name.toUpper());
        fields.append(std::move(field));
    }
    return fields;
}

FieldDef PacketParser::parseField(qsizetype index) {
    const QString where = QStringLiteral("field %1").arg(index + 1);
    if (m_scanner.peek() != '{')
        fail(QStringLiteral("%1 must be an object").arg(where));
    m_scanner.expect('{');
    FieldDef field;
    bool haveName = false;
    bool haveType = false;
    for (bool first = true; m_scanner.more(first, '}'); first = false) {
        const QString key = m_scanner.readKey();
        if (key == u"name") {
            if (m_scanner.peek() != '"')
                fail(QStringLiteral("the name of %1 must be a string").arg(where));
            field.name = m_scanner.readString();
            if (field.name.isEmpty())
                fail(QStringLiteral("the name of %1 is empty").arg(where));
            haveName = true;
        } else if (key == u"type") {
            if (m_scanner.peek() != '"')
                fail(QStringLiteral("the type of %1 must be a string").arg(where));
            const qsizetype offset = m_scanner.offset();
            const QString type = m_scanner.readString();
            bool ok = false;
            field.type = fieldTypeFromName(type, &ok);
            if (!ok)
                failAt(offset, QStringLiteral("unknown type \"%1\" of %2").arg(type, where));
            haveType = true;
        } else if (key == u"size") {
            const qsizetype offset = m_scanner.offset();
            const char c = m_scanner.peek();
            if (c != '-' && (c < '0' || c > '9'))
                fail(QStringLiteral("the size of %1 must be a number").arg(where));
            const double size = m_scanner.readNumber();
            if (size < 0 || size > 0x7fffffff || size != double(int(size)))
                failAt(offset, QStringLiteral("the size of %1 must be a whole number "
                                              "from 0 to 2147483647")
                                   .arg(where));
            field.size = int(size);
        } else {
            m_scanner.skipValue();
        }
    }
    if (!haveName)
        fail(QStringLiteral("%1 has no \"name\"").arg(where));
    if (!haveType)
        fail(QStringLiteral("%1 (%2) has no \"type\"").arg(where, field.name));
    return field;
}

void PacketParser::parseRows(DataPacket& packet) {
    if (m_scanner.peek() != '[')
        fail(QStringLiteral("\"rows\" must be an array"));
    m_scanner.expect('[');
    const qsizetype fieldCount = packet.fields.size();
    for (bool first = true; m_scanner.more(first, ']'); first = false) {
        const qsizetype rowNumber = packet.rows.size() + 1;
        if (m_scanner.peek() != '[')
            fail(QStringLiteral("row %1 must be an array").arg(rowNumber));
        m_scanner.expect('[');
        QVariantList row;
        row.reserve(fieldCount);
        for (qsizetype column = 0; m_scanner.more(column == 0, ']'); ++column) {
            if (column >= fieldCount)
                fail(QStringLiteral("row %1 has more values than the %2 fields")
                         .arg(rowNumber)
                         .arg(fieldCount));
            row.append(parseCell(packet.fields.at(column), column, rowNumber));
        }
        if (row.size() != fieldCount)
            fail(QStringLiteral("row %1 has %2 values, expected %3")
                     .arg(rowNumber)
                     .arg(row.size())
                     .arg(fieldCount));
        packet.rows.append(std::move(row));
    }
}

QVariant PacketParser::parseCell(const FieldDef& field, qsizetype column, qsizetype row) {
    const char c = m_scanner.peek();
    if (c == 'n') {
        m_scanner.consumeNull();
        return {};
    }
    switch (field.type) {
    case FieldType::String:
        if (c != '"')
            failCell(field, row, QStringLiteral("expected a string"));
        return sharedString(column, m_scanner.scanString());
    case FieldType::Float:
        if (c != '-' && (c < '0' || c > '9'))
            failCell(field, row, QStringLiteral("expected a number"));
        return m_scanner.readNumber();
    case FieldType::DateTime: {
        if (c != '"')
            failCell(field, row, QStringLiteral("expected a date \"YYYY-MM-DD\""));
        const qsizetype offset = m_scanner.offset();
        const JsonScanner::RawString raw = m_scanner.scanString();
        const QDate date = raw.escaped ? QDate() : packetDate(raw.bytes);
        if (!date.isValid())
            failAt(offset, QStringLiteral("row %1, field %2: \"%3\" is not a date "
                                          "YYYY-MM-DD")
                               .arg(row)
                               .arg(field.name, m_scanner.decode(raw).left(40)));
        return date;
    }
    }
    return {};
}

QString PacketParser::sharedString(qsizetype column, const JsonScanner::RawString& raw) {
    const qsizetype length = raw.bytes.size();
    if (raw.escaped || !raw.ascii || length > CachedLength)
        return m_scanner.decode(raw);
    uint hash = 2166136261u;
    for (const char c : raw.bytes)
        hash = (hash ^ uchar(c)) * 16777619u;
    QString& slot = m_caches[column][hash % CacheSlots];
    if (slot.size() == length && QLatin1StringView(raw.bytes) == slot && !slot.isNull())
        return slot;
    slot = QString::fromLatin1(raw.bytes);
    return slot;
}

void PacketParser::fail(const QString& what) const {
    failAt(m_scanner.offset(), what);
}

void PacketParser::failAt(qsizetype offset, const QString& what) const {
    throw ProtocolError(QStringLiteral("invalid packet at offset %1: %2").arg(offset).arg(what));
}

void PacketParser::failCell(const FieldDef& field, qsizetype row, const QString& what) const {
    fail(QStringLiteral("row %1, field %2: %3").arg(row).arg(field.name, what));
}

} // namespace ciap
