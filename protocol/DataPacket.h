#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace ciap {

enum class FieldType { String, Float, DateTime };

struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // characters, for String only

    friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

// One server answer for a client data set. Values: QString (string), double (float),
// QDate (datetime, the date part only), invalid QVariant for null.
struct DataPacket {
    QList<FieldDef> fields;
    QList<QVariantList> rows;

    int indexOf(const QString& fieldName) const; // case-insensitive, -1 when absent
};

enum class ChangeStatus { Inserted, Modified, Deleted };

struct DeltaChange {
    ChangeStatus status = ChangeStatus::Inserted;
    QVariantList oldValues; // empty for Inserted
    QVariantList newValues; // empty for Deleted
};

// The pending changes of a data set: what the server applies in one transaction.
struct Delta {
    QList<FieldDef> fields;
    QList<DeltaChange> changes;
};

QString fieldTypeName(FieldType type);
FieldType fieldTypeFromName(QStringView name, bool* ok); // "string", "float", "datetime"
// "YYYY-MM-DD" to a date; an invalid QDate when the text is anything else.
QDate packetDate(QByteArrayView text);

} // namespace ciap

Q_DECLARE_METATYPE(ciap::DataPacket)
Q_DECLARE_METATYPE(ciap::Delta)
