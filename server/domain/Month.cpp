#include "Month.h"

namespace ciap::server {

std::optional<Month> Month::parse(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() != 7 || t.at(2) != QLatin1Char('/'))
        return std::nullopt;
    for (int i : {0, 1, 3, 4, 5, 6}) {
        if (!t.at(i).isDigit() || t.at(i).unicode() > '9')
            return std::nullopt;
    }
    const Month m(t.mid(3, 4).toInt(), t.left(2).toInt());
    if (!m.isValid())
        return std::nullopt;
    return m;
}

Month Month::of(const QDate& date) {
    return Month(date.year(), date.month());
}

Month Month::fromIndex(int index) {
    return Month(index / 12, index % 12 + 1);
}

QString Month::text() const {
    return QStringLiteral("%1/%2")
        .arg(m_month, 2, 10, QLatin1Char('0'))
        .arg(m_year, 4, 10, QLatin1Char('0'));
}

} // namespace ciap::server
