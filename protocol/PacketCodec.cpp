#include "PacketCodec.h"

#include "JsonWriter.h"
#include "PacketReader.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <cmath>

namespace ciap {

ProtocolError::ProtocolError(const QString& message)
    : std::runtime_error(message.toStdString()) {}

QString ProtocolError::message() const {
    return QString::fromStdString(what());
}

namespace {

QString where(const QString& context, const FieldDef& field) {
    return QStringLiteral("%1, field %2").arg(context, field.name);
}

QDate dateOf(const QVariant& value, const QString& context) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate();
    case QMetaType::QDateTime:
        return value.toDateTime().date();
    case QMetaType::QString: {
        const QDate date = packetDate(value.toString().toLatin1());
        if (date.isValid())
            return date;
        break;
    }
    default:
        break;
    }
    throw ProtocolError(QStringLiteral("%1: %2 is not a date").arg(context, value.toString()));
}

double numberOf(const QVariant& value, const QString& context) {
    bool ok = false;
    const double number =
        value.typeId() == QMetaType::Double ? value.toDouble() : value.toDouble(&ok);
    if (value.typeId() != QMetaType::Double && !ok)
        throw ProtocolError(
            QStringLiteral("%1: \"%2\" is not a number").arg(context, value.toString()));
    if (!std::isfinite(number))
        throw ProtocolError(
            QStringLiteral("%1: %2 cannot travel as a JSON number").arg(context).arg(number));
    return number;
}

void writeValue(JsonWriter& writer, const QVariant& value, FieldType type, const QString& context) {
    if (!value.isValid()) {
        writer.raw("null");
        return;
    }
    switch (type) {
    case FieldType::String:
        if (value.typeId() == QMetaType::QString)
            writer.string(*static_cast<const QString*>(value.constData()));
        else
            writer.string(value.toString());
        return;
    case FieldType::Float:
        writer.number(numberOf(value, context));
        return;
    case FieldType::DateTime: {
        const QDate date = dateOf(value, context);
        if (!date.isValid())
            writer.raw("null");
        else
            writer.date(date);
        return;
    }
    }
}

void writeFields(JsonWriter& writer, const QList<FieldDef>& fields) {
    writer.raw("\"fields\":[");
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const FieldDef& field = fields.at(i);
        if (field.name.isEmpty())
            throw ProtocolError(QStringLiteral("field %1 has no name").arg(i + 1));
        if (i > 0)
            writer.raw(',');
        writer.raw("{\"name\":");
        writer.string(field.name);
        writer.raw(",\"type\":");
        writer.asciiString(fieldTypeName(field.type).toLatin1());
        if (field.type == FieldType::String || field.size != 0) {
            writer.raw(",\"size\":");
            writer.raw(QByteArray::number(field.size));
        }
        writer.raw('}');
    }
    writer.raw(']');
}

void writeRow(JsonWriter& writer, const QList<FieldDef>& fields, const QVariantList& row,
              qsizetype rowNumber) {
    if (row.size() != fields.size())
        throw ProtocolError(QStringLiteral("row %1 has %2 values, expected %3")
                                .arg(rowNumber)
                                .arg(row.size())
                                .arg(fields.size()));
    writer.raw('[');
    for (qsizetype c = 0; c < row.size(); ++c) {
        if (c > 0)
            writer.raw(',');
        const FieldDef& field = fields.at(c);
        const QVariant& value = row.at(c);
        // The context text is built only when needed: this loop runs for every cell.
        if (!value.isValid()) {
            writer.raw("null");
        } else if (field.type == FieldType::String && value.typeId() == QMetaType::QString) {
            writer.string(*static_cast<const QString*>(value.constData()));
        } else if (field.type == FieldType::Float && value.typeId() == QMetaType::Double) {
            writer.number(*static_cast<const double*>(value.constData()));
        } else if (field.type == FieldType::DateTime && value.typeId() == QMetaType::QDate) {
            const QDate date = value.toDate();
            if (date.isValid())
                writer.date(date);
            else
                writer.raw("null");
        } else {
            writeValue(writer, value, field.type,
                       where(QStringLiteral("row %1").arg(rowNumber), field));
        }
    }
    writer.raw(']');
}

QList<FieldDef> fieldsFromJson(const QJsonValue& value, const QString& what) {
    if (!value.isArray())
        throw ProtocolError(QStringLiteral("%1: \"fields\" must be an array").arg(what));
    QList<FieldDef> fields;
    QSet<QString> names;
    const QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString place = QStringLiteral("%1: field %2").arg(what).arg(i + 1);
        if (!array.at(i).isObject())
            throw ProtocolError(QStringLiteral("%1 must be an object").arg(place));
        const QJsonObject object = array.at(i).toObject();
        FieldDef field;
        const QJsonValue name = object.value(QLatin1StringView("name"));
        if (!name.isString() || name.toString().isEmpty())
            throw ProtocolError(
                QStringLiteral("%1 needs a \"name\" that is a non-empty string").arg(place));
        field.name = name.toString();
        const QJsonValue type = object.value(QLatin1StringView("type"));
        if (!type.isString())
            throw ProtocolError(
                QStringLiteral("%1 (%2) needs a \"type\" string").arg(place, field.name));
        bool ok = false;
        field.type = fieldTypeFromName(type.toString(), &ok);
        if (!ok)
            throw ProtocolError(
                QStringLiteral("%1: unknown type \"%2\"").arg(place, type.toString()));
        const QJsonValue size = object.value(QLatin1StringView("size"));
        if (!size.isUndefined()) {
            const double number = size.toDouble(-1);
            if (!size.isDouble() || number < 0 || number > 0x7fffffff ||
                number != double(int(number)))
                throw ProtocolError(QStringLiteral("%1: the size must be a whole number from 0 to "
                                                   "2147483647")
                                        .arg(place));
            field.size = int(number);
        }
        if (names.contains(field.name.toUpper()))
            throw ProtocolError(
                QStringLiteral("%1: the field %2 appears twice").arg(what, field.name));
        names.insert(field.name.toUpper());
        fields.append(field);
    }
    return fields;
}

QVariantList rowFromJson(const QJsonValue& value, const QList<FieldDef>& fields,
                         const QString& what) {
    if (!value.isArray())
        throw ProtocolError(QStringLiteral("%1 must be an array").arg(what));
    const QJsonArray array = value.toArray();
    if (array.size() != fields.size())
        throw ProtocolError(QStringLiteral("%1 has %2 values, expected %3")
                                .arg(what)
                                .arg(array.size())
                                .arg(fields.size()));
    QVariantList row;
    row.reserve(fields.size());
    for (qsizetype c = 0; c < fields.size(); ++c) {
        try {
            row.append(valueFromJson(array.at(c), fields.at(c).type));
        } catch (const ProtocolError& error) {
            throw ProtocolError(
                QStringLiteral("%1: %2").arg(where(what, fields.at(c)), error.message()));
        }
    }
    return row;
}

QJsonArray fieldsToJson(const QList<FieldDef>& fields) {
    QJsonArray array;
    for (const FieldDef& field : fields) {
        if (field.name.isEmpty())
            throw ProtocolError(QStringLiteral("field %1 has no name").arg(array.size() + 1));
        QJsonObject object{{QStringLiteral("name"), field.name},
                           {QStringLiteral("type"), fieldTypeName(field.type)}};
        if (field.type == FieldType::String || field.size != 0)
            object.insert(QStringLiteral("size"), field.size);
        array.append(object);
    }
    return array;
}

QJsonValue rowToJson(const QVariantList& row, const QList<FieldDef>& fields, const QString& what) {
    if (row.size() != fields.size())
        throw ProtocolError(QStringLiteral("%1 has %2 values, expected %3")
                                .arg(what)
                                .arg(row.size())
                                .arg(fields.size()));
    QJsonArray array;
    for (qsizetype c = 0; c < row.size(); ++c) {
        try {
            array.append(valueToJson(row.at(c), fields.at(c).type));
        } catch (const ProtocolError& error) {
            throw ProtocolError(
                QStringLiteral("%1: %2").arg(where(what, fields.at(c)), error.message()));
        }
    }
    return array;
}

const char* statusName(ChangeStatus status) {
    switch (status) {
    case ChangeStatus::Inserted:
        return "inserted";
    case ChangeStatus::Modified:
        return "modified";
    case ChangeStatus::Deleted:
        return "deleted";
    }
    return "inserted";
}

} // namespace

QJsonValue valueToJson(const QVariant& value, FieldType type) {
    if (!value.isValid())
        return QJsonValue(QJsonValue::Null);
    switch (type) {
    case FieldType::String:
        return value.toString();
    case FieldType::Float:
        return numberOf(value, QStringLiteral("value"));
    case FieldType::DateTime: {
        const QDate date = dateOf(value, QStringLiteral("value"));
        if (!date.isValid())
            return QJsonValue(QJsonValue::Null);
        if (date.year() < 0 || date.year() > 9999)
            throw ProtocolError(QStringLiteral("the date %1 cannot travel as YYYY-MM-DD")
                                    .arg(date.toString(Qt::ISODate)));
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    }
    }
    return QJsonValue(QJsonValue::Null);
}

QVariant valueFromJson(const QJsonValue& value, FieldType type) {
    if (value.isNull())
        return {};
    switch (type) {
    case FieldType::String:
        if (!value.isString())
            throw ProtocolError(QStringLiteral("expected a string"));
        return value.toString();
    case FieldType::Float:
        if (!value.isDouble())
            throw ProtocolError(QStringLiteral("expected a number"));
        return value.toDouble();
    case FieldType::DateTime: {
        if (!value.isString())
            throw ProtocolError(QStringLiteral("expected a date \"YYYY-MM-DD\""));
        const QString text = value.toString();
        const QDate date = text.size() == 10 ? packetDate(text.toLatin1()) : QDate();
        if (!date.isValid())
            throw ProtocolError(
                QStringLiteral("\"%1\" is not a date YYYY-MM-DD").arg(text.left(40)));
        return date;
    }
    }
    return {};
}

bool isPacketJson(const QJsonValue& value) {
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    return object.value(QLatin1StringView("fields")).isArray() &&
           object.value(QLatin1StringView("rows")).isArray();
}

QJsonValue packetToJson(const DataPacket& packet) {
    QJsonArray rows;
    for (qsizetype r = 0; r < packet.rows.size(); ++r)
        rows.append(
            rowToJson(packet.rows.at(r), packet.fields, QStringLiteral("row %1").arg(r + 1)));
    return QJsonObject{{QStringLiteral("fields"), fieldsToJson(packet.fields)},
                       {QStringLiteral("rows"), rows}};
}

DataPacket packetFromJson(const QJsonValue& value) {
    if (!value.isObject())
        throw ProtocolError(QStringLiteral("a data packet must be a JSON object"));
    const QJsonObject object = value.toObject();
    if (!object.contains(QLatin1StringView("fields")))
        throw ProtocolError(QStringLiteral("the packet has no \"fields\""));
    if (!object.contains(QLatin1StringView("rows")))
        throw ProtocolError(QStringLiteral("the packet has no \"rows\""));
    DataPacket packet;
    packet.fields =
        fieldsFromJson(object.value(QLatin1StringView("fields")), QStringLiteral("packet"));
    const QJsonValue rows = object.value(QLatin1StringView("rows"));
    if (!rows.isArray())
        throw ProtocolError(QStringLiteral("\"rows\" must be an array"));
    const QJsonArray array = rows.toArray();
    packet.rows.reserve(array.size());
    for (qsizetype r = 0; r < array.size(); ++r)
        packet.rows.append(
            rowFromJson(array.at(r), packet.fields, QStringLiteral("row %1").arg(r + 1)));
    return packet;
}

QByteArray encodePacket(const DataPacket& packet) {
    QByteArray out;
    out.reserve(64 + packet.fields.size() * 48 +
                packet.rows.size() * (2 + packet.fields.size() * 12));
    JsonWriter writer(out);
    writer.raw('{');
    writeFields(writer, packet.fields);
    writer.raw(",\"rows\":[");
    for (qsizetype r = 0; r < packet.rows.size(); ++r) {
        if (r > 0)
            writer.raw(',');
        writeRow(writer, packet.fields, packet.rows.at(r), r + 1);
    }
    writer.raw("]}");
    return out;
}

DataPacket decodePacket(const QByteArray& json) {
    DataPacketBuilder builder;
    decodePacket(json, builder);
    return builder.takePacket();
}

void decodePacket(const QByteArray& json, PacketSink& sink) {
    json::JsonReader reader(json, QStringLiteral("the packet is empty"));
    json::PacketReader::readDocument(reader, sink);
}

void decodePacketRows(const QByteArray& rows, const QList<FieldDef>& fields, PacketSink& sink) {
    json::JsonReader reader(rows, QStringLiteral("the rows are empty"));
    json::PacketReader(reader, reader.base(), sink).readRowsDocument(fields);
}

QJsonValue deltaToJson(const Delta& delta) {
    QJsonArray changes;
    for (qsizetype i = 0; i < delta.changes.size(); ++i) {
        const DeltaChange& change = delta.changes.at(i);
        const QString what = QStringLiteral("change %1").arg(i + 1);
        const bool hasOld = change.status != ChangeStatus::Inserted;
        const bool hasNew = change.status != ChangeStatus::Deleted;
        QJsonObject object{
            {QStringLiteral("status"), QLatin1StringView(statusName(change.status))}};
        object.insert(QStringLiteral("old"), hasOld ? rowToJson(change.oldValues, delta.fields,
                                                                what + QStringLiteral(" (old)"))
                                                    : QJsonValue(QJsonValue::Null));
        object.insert(QStringLiteral("new"), hasNew ? rowToJson(change.newValues, delta.fields,
                                                                what + QStringLiteral(" (new)"))
                                                    : QJsonValue(QJsonValue::Null));
        changes.append(object);
    }
    return QJsonObject{{QStringLiteral("fields"), fieldsToJson(delta.fields)},
                       {QStringLiteral("changes"), changes}};
}

Delta deltaFromJson(const QJsonValue& value) {
    if (!value.isObject())
        throw ProtocolError(QStringLiteral("a delta must be a JSON object"));
    const QJsonObject object = value.toObject();
    if (!object.contains(QLatin1StringView("fields")))
        throw ProtocolError(QStringLiteral("the delta has no \"fields\""));
    const QJsonValue changes = object.value(QLatin1StringView("changes"));
    if (!changes.isArray())
        throw ProtocolError(QStringLiteral("the delta needs a \"changes\" array"));
    Delta delta;
    delta.fields =
        fieldsFromJson(object.value(QLatin1StringView("fields")), QStringLiteral("delta"));
    const QJsonArray array = changes.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString what = QStringLiteral("change %1").arg(i + 1);
        if (!array.at(i).isObject())
            throw ProtocolError(QStringLiteral("%1 must be an object").arg(what));
        const QJsonObject entry = array.at(i).toObject();
        const QString status = entry.value(QLatin1StringView("status")).toString();
        DeltaChange change;
        if (status == u"inserted")
            change.status = ChangeStatus::Inserted;
        else if (status == u"modified")
            change.status = ChangeStatus::Modified;
        else if (status == u"deleted")
            change.status = ChangeStatus::Deleted;
        else
            throw ProtocolError(
                QStringLiteral("%1: \"status\" must be \"inserted\", \"modified\" or "
                               "\"deleted\"")
                    .arg(what));
        const QJsonValue oldValues = entry.value(QLatin1StringView("old"));
        const QJsonValue newValues = entry.value(QLatin1StringView("new"));
        const bool wantOld = change.status != ChangeStatus::Inserted;
        const bool wantNew = change.status != ChangeStatus::Deleted;
        if (!wantOld && !(oldValues.isNull() || oldValues.isUndefined()))
            throw ProtocolError(
                QStringLiteral("%1: an inserted row has no \"old\" values").arg(what));
        if (!wantNew && !(newValues.isNull() || newValues.isUndefined()))
            throw ProtocolError(
                QStringLiteral("%1: a deleted row has no \"new\" values").arg(what));
        if (wantOld)
            change.oldValues =
                rowFromJson(oldValues, delta.fields, what + QStringLiteral(" \"old\""));
        if (wantNew)
            change.newValues =
                rowFromJson(newValues, delta.fields, what + QStringLiteral(" \"new\""));
        delta.changes.append(std::move(change));
    }
    return delta;
}

} // namespace ciap
