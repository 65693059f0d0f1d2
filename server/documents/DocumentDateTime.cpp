#include "DocumentDateTime.h"

namespace ciap::documents {

namespace {

// The digits of text[from, from + length) as a number; -1 when any is not a digit.
int digitsAt(QStringView text, int from, int length) {
    int value = 0;
    for (int i = from; i < from + length; ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

QString DocumentDateTime::toString() const {
    QString text = date.toString(Qt::ISODate) + u'T' + time.toString(u"HH:mm:ss");
    if (hasOffset) {
        const int minutes = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
        text += QStringLiteral("%1%2:%3")
                    .arg(QChar(offsetMinutes < 0 ? u'-' : u'+'))
                    .arg(minutes / 60, 2, 10, QChar(u'0'))
                    .arg(minutes % 60, 2, 10, QChar(u'0'));
    }
    return text;
}

std::optional<DocumentDateTime> DocumentDateTime::fromString(QStringView text,
                                                             bool offsetRequired) {
    if (text.size() < 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u'T' ||
        text[13] != u':' || text[16] != u':')
        return std::nullopt;
    DocumentDateTime result;
    result.date = QDate(digitsAt(text, 0, 4), digitsAt(text, 5, 2), digitsAt(text, 8, 2));
    result.time = QTime(digitsAt(text, 11, 2), digitsAt(text, 14, 2), digitsAt(text, 17, 2));
    if (!result.date.isValid() || !result.time.isValid())
        return std::nullopt;

    const QStringView zone = text.mid(19);
    if (zone == u"Z") {
        result.hasOffset = true;
    } else if (zone.size() == 6 && (zone[0] == u'+' || zone[0] == u'-') && zone[3] == u':') {
        const int hours = digitsAt(zone, 1, 2);
        const int minutes = digitsAt(zone, 4, 2);
        if (hours < 0 || hours > 14 || minutes < 0 || minutes > 59)
            return std::nullopt;
        result.offsetMinutes = (zone[0] == u'-' ? -1 : 1) * (hours * 60 + minutes);
        result.hasOffset = true;
    } else if (!zone.isEmpty() || offsetRequired) {
        return std::nullopt;
    }
    return result;
}

} // namespace ciap::documents
