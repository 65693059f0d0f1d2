#include "Decimal.h"

#include <stdexcept>

namespace ciap::documents {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Value and scale with the trailing zeros of the fraction removed, for comparisons that must
// not overflow by scaling one side up.
std::pair<qint64, int> normalised(qint64 units, int scale) {
    while (scale > 0 && units % 10 == 0) {
        units /= 10;
        --scale;
    }
    return {units, scale};
}

} // namespace

Decimal::Decimal(qint64 units, int scale)
    : m_units(units)
    , m_scale(scale) {
    if (scale < 0 || scale > MaxDigits)
        throw std::invalid_argument("Decimal: scale out of range");
}

std::optional<Decimal> Decimal::fromString(QStringView text, int maxDecimals,
                                           int maxIntegerDigits) {
    const qsizetype point = text.indexOf(u'.');
    QStringView integer = point < 0 ? text : text.left(point);
    QStringView fraction = point < 0 ? QStringView() : text.mid(point + 1);
    if (integer.isEmpty() || (point >= 0 && fraction.isEmpty()) || fraction.size() > maxDecimals)
        return std::nullopt;
    for (QStringView part : {integer, fraction})
        for (QChar c : part)
            if (!isDigit(c))
                return std::nullopt;
    while (integer.size() > 1 && integer.front() == u'0')
        integer = integer.mid(1);
    if (integer.size() > maxIntegerDigits)
        return std::nullopt;
    const qsizetype significant = (integer == u"0" ? 0 : integer.size());
    while (significant + fraction.size() > MaxDigits && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (significant + fraction.size() > MaxDigits)
        return std::nullopt;

    qint64 units = 0;
    for (QStringView part : {integer, fraction})
        for (QChar c : part)
            units = units * 10 + (c.unicode() - u'0');
    return Decimal(units, int(fraction.size()));
}

bool Decimal::isInteger() const {
    return normalised(m_units, m_scale).second == 0;
}

std::optional<qint64> Decimal::toInteger() const {
    const auto [units, scale] = normalised(m_units, m_scale);
    if (scale != 0)
        return std::nullopt;
    return units;
}

QString Decimal::toString() const {
    QString digits = QString::number(m_units < 0 ? -m_units : m_units);
    if (m_scale > 0) {
        if (digits.size() <= m_scale)
            digits = QString(m_scale - digits.size() + 1, u'0') + digits;
        digits.insert(digits.size() - m_scale, u'.');
    }
    return m_units < 0 ? u'-' + digits : digits;
}

bool operator==(const Decimal& a, const Decimal& b) {
    return normalised(a.m_units, a.m_scale) == normalised(b.m_units, b.m_scale);
}

std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
    // Compare integer parts first, then the fractions brought to a common scale; each step
    // stays within 18 digits, so nothing overflows.
    auto [ua, sa] = normalised(a.m_units, a.m_scale);
    auto [ub, sb] = normalised(b.m_units, b.m_scale);
    qint64 pa = 1;
    qint64 pb = 1;
    for (int i = 0; i < sa; ++i)
        pa *= 10;
    for (int i = 0; i < sb; ++i)
        pb *= 10;
    if (const auto whole = (ua / pa) <=> (ub / pb); whole != 0)
        return whole;
    qint64 fa = ua % pa;
    qint64 fb = ub % pb;
    for (int i = sa; i < sb; ++i)
        fa *= 10;
    for (int i = sb; i < sa; ++i)
        fb *= 10;
    return fa <=> fb;
}

std::optional<Cents> centsFromString(QStringView text, int maxIntegerDigits) {
    const std::optional<Decimal> value = Decimal::fromString(text, 2, maxIntegerDigits);
    if (!value)
        return std::nullopt;
    return value->units() * (value->scale() == 0 ? 100 : value->scale() == 1 ? 10 : 1);
}

QString centsToString(Cents cents) {
    return Decimal(cents, 2).toString();
}

QList<Cents> splitEvenly(Cents amount, int parts) {
    if (parts < 1)
        throw std::invalid_argument("splitEvenly: parts must be at least 1");
    const Cents share = amount / parts;
    QList<Cents> shares(parts, share);
    shares.last() = amount - share * (parts - 1);
    return shares;
}

} // namespace ciap::documents
