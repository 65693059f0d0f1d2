#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

namespace ciap::documents {

// A date and time as the document writes it ("2024-03-15T10:30:00-03:00"): the issuer's local
// date and time and its UTC offset, never converted. The fiscal month of a document is that of
// its local date, which a conversion to UTC could move to the next day or month.
struct DocumentDateTime {
    QDate date;
    QTime time;
    int offsetMinutes = 0;
    bool hasOffset = false;

    bool isNull() const { return !date.isValid(); }
    QDate localDate() const { return date; }
    QString toString() const; // as read, e.g. "2024-03-15T10:30:00-03:00"

    // YYYY-MM-DDThh:mm:ss with an offset ±hh:mm (or Z) that may be required; nullopt when the
    // text is not such a date and time.
    static std::optional<DocumentDateTime> fromString(QStringView text, bool offsetRequired);

    friend bool operator==(const DocumentDateTime&, const DocumentDateTime&) = default;
};

} // namespace ciap::documents
