#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

namespace ciap::server {

// Values as the columns take them. Text read from a document is cut to its column's width,
// which PostgreSQL enforces and SQLite does not, so that both keep the same; empty text and
// an invalid date are stored as null.
inline QVariant fitted(const QString& text, int width) {
    return text.isEmpty() ? QVariant() : QVariant(text.left(width));
}

// Text for a NOT NULL column: an empty value is '' and never null.
inline QString notNull(const QString& text, int width) {
    return text.isEmpty() ? QStringLiteral("") : text.left(width);
}

inline QVariant dateOrNull(const QDate& date) {
    return date.isValid() ? QVariant(date) : QVariant();
}

inline QString yesNo(bool value) {
    return value ? QStringLiteral("S") : QStringLiteral("N");
}

} // namespace ciap::server
