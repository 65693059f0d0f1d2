#include "DataPacket.h"

namespace ciap {

int DataPacket::indexOf(const QString& fieldName) const {
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString fieldTypeName(FieldType type) {
    switch (type) {
    case FieldType::String:
        return QStringLiteral("string");
    case FieldType::Float:
        return QStringLiteral("float");
    case FieldType::DateTime:
        return QStringLiteral("datetime");
    }
    return QStringLiteral("string");
}

FieldType fieldTypeFromName(QStringView name, bool* ok) {
    *ok = true;
    if (name == u"string")
        return FieldType::String;
    if (name == u"float")
        return FieldType::Float;
    if (name == u"datetime")
        return FieldType::DateTime;
    *ok = false;
    return FieldType::String;
}

QDate packetDate(QByteArrayView text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return {};
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < lengths[i]; ++k) {
            const char c = text[starts[i] + k];
            if (c < '0' || c > '9')
                return {};
            parts[i] = parts[i] * 10 + (c - '0');
        }
    }
    return QDate(parts[0], parts[1], parts[2]); // invalid for 2024-02-30 and the like
}

} // namespace ciap
