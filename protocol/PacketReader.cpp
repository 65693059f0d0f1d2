#include "PacketReader.h"

#include <QSet>

namespace ciap::json {

PacketReader::PacketReader(JsonReader& json, const char* packetStart, PacketSink& sink)
    : m_json(json)
    , m_packetStart(packetStart)
    , m_sink(sink) {}

void PacketReader::readDocument(JsonReader& json, PacketSink& sink) {
    const char* start = json.rootStart();
    if (json.rootType() != od::json_type::object)
        throw PacketShapeError(QStringLiteral("invalid packet at offset %1: a data packet must be "
                                              "a JSON object")
                                   .arg(json.offsetOf(start)));
    PacketReader reader(json, start, sink);
    reader.read(json.rootObject());
    json.expectEnd();
}

void PacketReader::read(od::object packet) {
    bool haveFields = false;
    bool haveRows = false;
    const char* deferredRows = nullptr; // "rows" came before "fields"
    const char* deferredEnd = nullptr;
    for (auto m : packet) {
        od::field member = m_json.member(std::move(m));
        const char* quote = nullptr;
        const QString key = m_json.key(member, &quote);
        od::value& value = member.value();
        if (key == u"fields") {
            if (haveFields)
                failAt(quote, QStringLiteral("the packet has two \"fields\""));
            haveFields = true;
            readFields(value);
            m_sink.begin(m_fields);
        } else if (key == u"rows") {
            if (haveRows)
                failAt(quote, QStringLiteral("the packet has two \"rows\""));
            haveRows = true;
            m_rowsStart = JsonReader::start(value);
            if (haveFields) {
                readRows(m_json, value);
            } else {
                deferredRows = JsonReader::start(value);
                m_json.validate(value);
                deferredEnd = m_json.location();
            }
        } else {
            m_json.validate(value);
        }
    }
    if (!haveFields)
        throw PacketShapeError(QStringLiteral("the packet has no \"fields\""));
    if (!haveRows)
        throw PacketShapeError(QStringLiteral("the packet has no \"rows\""));
    if (deferredRows) {
        // Already checked as JSON above: read again, now that the fields are known.
        JsonReader rows(m_json.base(), deferredRows, deferredEnd,
                        m_json.end() + simdjson::SIMDJSON_PADDING);
        readRowArray(rows, rows.rootArray());
    }
}

void PacketReader::readRowsDocument(const QList<FieldDef>& fields) {
    m_fields = fields;
    m_sink.begin(m_fields);
    if (m_json.rootType() != od::json_type::array)
        failAt(m_json.rootStart(), QStringLiteral("\"rows\" must be an array"));
    readRowArray(m_json, m_json.rootArray());
    m_json.expectEnd();
}

void PacketReader::readFields(od::value& value) {
    if (m_json.typeOf(value) != od::json_type::array)
        failAt(JsonReader::start(value), QStringLiteral("\"fields\" must be an array"));
    QSet<QString> names;
    m_fields.clear();
    for (auto e : m_json.array(value)) {
        od::value element = m_json.element(std::move(e));
        const char* at = JsonReader::start(element);
        FieldDef field = readField(element, m_fields.size());
        const QString upper = field.name.toUpper();
        if (names.contains(upper))
            failAt(at, QStringLiteral("the field %1 appears twice").arg(field.name));
        names.insert(upper);
        m_fields.append(std::move(field));
    }
}

FieldDef PacketReader::readField(od::value& value, qsizetype index) {
    const QString where = QStringLiteral("field %1").arg(index + 1);
    if (m_json.typeOf(value) != od::json_type::object)
        failAt(JsonReader::start(value), QStringLiteral("%1 must be an object").arg(where));
    FieldDef field;
    bool haveName = false;
    bool haveType = false;
    for (auto m : m_json.object(value)) {
        od::field member = m_json.member(std::move(m));
        const char* quote = nullptr;
        const QString key = m_json.key(member, &quote);
        od::value& v = member.value();
        const char* at = JsonReader::start(v);
        if (key == u"name") {
            if (m_json.typeOf(v) != od::json_type::string)
                failAt(at, QStringLiteral("the name of %1 must be a string").arg(where));
            field.name = m_json.text(v);
            if (field.name.isEmpty())
                failAt(at, QStringLiteral("the name of %1 is empty").arg(where));
            haveName = true;
        } else if (key == u"type") {
            if (m_json.typeOf(v) != od::json_type::string)
                failAt(at, QStringLiteral("the type of %1 must be a string").arg(where));
            const QString type = m_json.text(v);
            bool ok = false;
            field.type = fieldTypeFromName(type, &ok);
            if (!ok)
                failAt(at, QStringLiteral("unknown type \"%1\" of %2").arg(type, where));
            haveType = true;
        } else if (key == u"size") {
            if (m_json.typeOf(v) != od::json_type::number)
                failAt(at, QStringLiteral("the size of %1 must be a number").arg(where));
            const double size = m_json.number(v);
            if (size < 0 || size > 0x7fffffff || size != double(int(size)))
                failAt(at, QStringLiteral("the size of %1 must be a whole number from 0 to "
                                          "2147483647")
                               .arg(where));
            field.size = int(size);
        } else {
            m_json.validate(v);
        }
    }
    if (!haveName)
        failAt(m_json.location(), QStringLiteral("%1 has no \"name\"").arg(where));
    if (!haveType)
        failAt(m_json.location(), QStringLiteral("%1 (%2) has no \"type\"").arg(where, field.name));
    return field;
}

void PacketReader::readRows(JsonReader& json, od::value& value) {
    if (json.typeOf(value) != od::json_type::array)
        failAt(JsonReader::start(value), QStringLiteral("\"rows\" must be an array"));
    readRowArray(json, json.array(value));
}

void PacketReader::readRowArray(JsonReader& json, od::array rows) {
    const qsizetype fieldCount = m_fields.size();
    m_cells.assign(std::size_t(fieldCount), PacketCell{});
    m_wide.assign(std::size_t(fieldCount), QString());
    qsizetype rowNumber = 0;
    for (auto e : rows) {
        od::value row = json.element(std::move(e));
        ++rowNumber;
        if (json.typeOf(row) != od::json_type::array)
            failAt(JsonReader::start(row),
                   QStringLiteral("row %1 must be an array").arg(rowNumber));
        qsizetype column = 0;
        for (auto c : json.array(row)) {
            od::value cell = json.element(std::move(c));
            if (column >= fieldCount)
                failAt(JsonReader::start(cell), QStringLiteral("row %1 has more values than the %2 "
                                                               "fields")
                                                    .arg(rowNumber)
                                                    .arg(fieldCount));
            readCell(json, cell, column, rowNumber);
            ++column;
        }
        if (column != fieldCount)
            failAt(json.location(), QStringLiteral("row %1 has %2 values, expected %3")
                                        .arg(rowNumber)
                                        .arg(column)
                                        .arg(fieldCount));
        m_sink.row(m_cells);
    }
}

void PacketReader::readCell(JsonReader& json, od::value& value, qsizetype column, qsizetype row) {
    PacketCell& cell = m_cells[std::size_t(column)];
    const FieldDef& field = m_fields.at(column);
    const std::optional<od::json_type> type = json.typeOf(value);
    if (type == od::json_type::null) {
        json.null(value);
        cell.kind = PacketCell::Kind::Null;
        return;
    }
    switch (field.type) {
    case FieldType::String: {
        if (type != od::json_type::string) [[unlikely]]
            failCell(value, field, row, QStringLiteral("expected a string"));
        QString& wide = m_wide[std::size_t(column)];
        if (json.string(value, &cell.utf8, &wide)) [[likely]] {
            cell.kind = PacketCell::Kind::Text;
        } else {
            cell.kind = PacketCell::Kind::WideText;
            cell.utf16 = wide;
        }
        return;
    }
    case FieldType::Float:
        if (type != od::json_type::number) [[unlikely]]
            failCell(value, field, row, QStringLiteral("expected a number"));
        cell.kind = PacketCell::Kind::Number;
        cell.number = json.number(value);
        return;
    case FieldType::DateTime: {
        if (type != od::json_type::string) [[unlikely]]
            failCell(value, field, row, QStringLiteral("expected a date \"YYYY-MM-DD\""));
        std::string_view utf8;
        QString wide;
        const bool isUtf8 = json.string(value, &utf8, &wide);
        const QDate date =
            isUtf8 ? packetDate(QByteArrayView(utf8.data(), qsizetype(utf8.size()))) : QDate();
        if (!date.isValid()) [[unlikely]]
            failAt(JsonReader::start(value),
                   QStringLiteral("row %1, field %2: \"%3\" is not a date YYYY-MM-DD")
                       .arg(row)
                       .arg(field.name,
                            (isUtf8 ? QString::fromUtf8(utf8.data(), qsizetype(utf8.size())) : wide)
                                .left(40)));
        cell.kind = PacketCell::Kind::Date;
        cell.julianDay = date.toJulianDay();
        return;
    }
    }
}

void PacketReader::failAt(const char* at, const QString& what) const {
    throw PacketShapeError(
        QStringLiteral("invalid packet at offset %1: %2").arg(at - m_packetStart).arg(what));
}

void PacketReader::failCell(od::value& value, const FieldDef& field, qsizetype row,
                            const QString& what) const {
    failAt(JsonReader::start(value),
           QStringLiteral("row %1, field %2: %3").arg(row).arg(field.name, what));
}

} // namespace ciap::json
