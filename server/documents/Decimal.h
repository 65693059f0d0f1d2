#pragma once

#include <QList>
#include <QString>
#include <compare>
#include <optional>

namespace ciap::documents {

// Money in cents. Every money field of the layouts has two decimals at most, so cents hold them
// exactly; doubles never carry a fiscal value here.
using Cents = qint64;

// An exact decimal as written in the document: units and the number of decimals shown
// ("1.5000" is 15000 units at scale 4). Equality is by value ("1.5" == "1.5000").
class Decimal {
public:
    static constexpr int MaxDigits = 18; // all of them fit in a qint64

    Decimal() = default;
    Decimal(qint64 units, int scale);

    // Digits with an optional point and up to maxDecimals decimals; no sign, exponent or
    // blanks. Trailing zeros are dropped only when the digits would not fit otherwise.
    // nullopt when the text is not such a number.
    static std::optional<Decimal> fromString(QStringView text, int maxDecimals,
                                             int maxIntegerDigits = 15);

    qint64 units() const { return m_units; }
    int scale() const { return m_scale; }
    bool isInteger() const;
    // The value when it has no fractional part and fits.
    std::optional<qint64> toInteger() const;
    QString toString() const; // with the written scale

    friend bool operator==(const Decimal& a, const Decimal& b);
    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);

private:
    qint64 m_units = 0;
    int m_scale = 0;
};

// A money value of the layouts ("1234.56", "0", "10.5"): at most two decimals and
// maxIntegerDigits digits before the point. nullopt when the text is not such a value.
std::optional<Cents> centsFromString(QStringView text, int maxIntegerDigits = 13);
QString centsToString(Cents cents); // "1234.56", "-0.05"

// Splits an amount into `parts` equal shares; what does not divide goes to the last share, so
// the shares always add up to the amount (100.00 in 3: 33.33, 33.33, 33.34). parts >= 1,
// otherwise std::invalid_argument.
QList<Cents> splitEvenly(Cents amount, int parts);

} // namespace ciap::documents
