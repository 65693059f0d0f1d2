// pt_BR conversions between numbers, dates and text. Written by hand rather than through
// QLocale so that the results do not depend on the machine's locale or ICU data, and so that
// rounding matches the platform: half away from zero on the value's 15-digit decimal form
// (1.005 formats as "1,01", as users expect from the figure they typed).
#include "LocaleFormat.h"

#include <QByteArray>
#include <QLocale>
#include <cmath>
#include <cstdio>

namespace {

// Decimal form of |value|: the digits of its integer and fractional parts.
struct Decimal {
    QByteArray integer;
    QByteArray fraction;
};

Decimal toDecimal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    // "d.ddddddddddddddde±XX": 15 significant digits
    QByteArray digits;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits.append(*p);
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    const int point = exponent + 1; // digits before the decimal point
    Decimal d;
    if (point <= 0) {
        d.fraction = QByteArray(-point, '0') + digits;
    } else if (point >= digits.size()) {
        d.integer = digits + QByteArray(point - digits.size(), '0');
    } else {
        d.integer = digits.left(point);
        d.fraction = digits.mid(point);
    }
    return d;
}

// Rounds half away from zero to at most `decimals` fraction digits.
void roundTo(Decimal& d, int decimals) {
    if (d.fraction.size() <= decimals)
        return;
    const bool up = d.fraction.at(decimals) >= '5';
    d.fraction.truncate(decimals);
    if (!up)
        return;
    QByteArray all = d.integer + d.fraction;
    int i = all.size() - 1;
    for (; i >= 0; --i) {
        if (all[i] == '9') {
            all[i] = '0';
        } else {
            all[i] = char(all[i] + 1);
            break;
        }
    }
    if (i < 0)
        all.prepend('1');
    const int integerDigits = all.size() - decimals;
    d.integer = all.left(integerDigits);
    d.fraction = all.mid(integerDigits);
}

bool isZero(const Decimal& d) {
    for (char c : d.integer)
        if (c != '0')
            return false;
    for (char c : d.fraction)
        if (c != '0')
            return false;
    return true;
}

QString groupThousands(const QString& digits) {
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out.append(QLatin1Char('.'));
        out.append(digits.at(i));
    }
    return out;
}

// Splits a format at ';' outside quotes.
QStringList sections(const QString& format) {
    QStringList out;
    QString current;
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            current.append(c);
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            current.append(c);
        } else if (c == QLatin1Char(';')) {
            out.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    out.append(current);
    return out;
}

bool isPlaceholder(QChar c) {
    return c == QLatin1Char('0') || c == QLatin1Char('#');
}

// Applies one section ("#,##0.00", "R$ #,##0.00", "0.0000") to a non-negative value.
QString applySection(const QString& section, double magnitude) {
    int first = -1;
    int last = -1;
    for (int i = 0; i < section.size(); ++i) {
        if (isPlaceholder(section.at(i))) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    auto literal = [](const QString& text) {
        QString out;
        for (QChar c : text)
            if (c != QLatin1Char('"') && c != QLatin1Char('\''))
                out.append(c);
        return out;
    };
    if (first < 0)
        return literal(section);

    const QString pattern = section.mid(first, last - first + 1);
    const int point = int(pattern.indexOf(QLatin1Char('.')));
    const QString integerPattern = point < 0 ? pattern : pattern.left(point);
    const QString fractionPattern = point < 0 ? QString() : pattern.mid(point + 1);
    const bool grouping = integerPattern.contains(QLatin1Char(','));
    const int firstZero = int(integerPattern.indexOf(QLatin1Char('0')));
    int minInteger = 0;
    if (firstZero >= 0)
        for (int i = firstZero; i < integerPattern.size(); ++i)
            if (integerPattern.at(i) == QLatin1Char('0') ||
                integerPattern.at(i) == QLatin1Char('#'))
                ++minInteger;
    const int maxDecimals =
        int(fractionPattern.count(QLatin1Char('0')) + fractionPattern.count(QLatin1Char('#')));
    int minDecimals = 0;
    for (QChar c : fractionPattern) {
        if (c == QLatin1Char('#'))
            break;
        if (c == QLatin1Char('0'))
            ++minDecimals;
    }

    Decimal d = toDecimal(magnitude);
    roundTo(d, maxDecimals);
    QString integer = QString::fromLatin1(d.integer);
    while (!integer.isEmpty() && integer.front() == QLatin1Char('0'))
        integer.remove(0, 1);
    while (integer.size() < minInteger)
        integer.prepend(QLatin1Char('0'));
    QString fraction = QString::fromLatin1(d.fraction);
    while (fraction.size() > minDecimals && fraction.back() == QLatin1Char('0'))
        fraction.chop(1);
    while (fraction.size() < minDecimals)
        fraction.append(QLatin1Char('0'));

    QString number = grouping ? groupThousands(integer) : integer;
    if (!fraction.isEmpty())
        number += QLatin1Char(',') + fraction;
    return literal(section.left(first)) + number + literal(section.mid(last + 1));
}

} // namespace

QString formatFloat(const QString& format, double value) {
    if (!std::isfinite(value) || format.isEmpty())
        return floatToStr(value);
    const QStringList parts = sections(format);
    Decimal rounded = toDecimal(value);
    // Which section applies depends on the value as it will be shown, so -0,001 under
    // "0.00" is zero and carries no minus sign.
    const QString& positive = parts.at(0);
    int decimals = 0;
    if (const int point = int(positive.indexOf(QLatin1Char('.'))); point >= 0)
        for (int i = point + 1; i < positive.size() && isPlaceholder(positive.at(i)); ++i)
            ++decimals;
    roundTo(rounded, decimals);
    const bool zero = isZero(rounded);
    if (zero && parts.size() >= 3 && !parts.at(2).isEmpty())
        return applySection(parts.at(2), 0);
    if (value < 0 && !zero) {
        if (parts.size() >= 2 && !parts.at(1).isEmpty())
            return applySection(parts.at(1), -value);
        return QLatin1Char('-') + applySection(positive, -value);
    }
    return applySection(positive, std::fabs(value));
}

QString floatToStr(double value) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    QString text = QString::fromLatin1(buffer);
    const int e = int(text.indexOf(QLatin1Char('e')));
    QString mantissa = e < 0 ? text : text.left(e);
    mantissa.replace(QLatin1Char('.'), QLatin1Char(','));
    if (e < 0)
        return mantissa;
    const int exponent = text.mid(e + 1).toInt();
    return mantissa + QLatin1Char('E') + QString::number(exponent);
}

QString dateToStr(const QDate& date) {
    if (!date.isValid())
        return {};
    return QString::asprintf("%02d/%02d/%04d", date.day(), date.month(), date.year());
}

QDate strToDate(const QString& text) {
    if (text.size() != 10 || text.at(2) != QLatin1Char('/') || text.at(5) != QLatin1Char('/'))
        return {};
    auto number = [&text](int from, int length, bool* ok) {
        int n = 0;
        for (int i = from; i < from + length; ++i) {
            const QChar c = text.at(i);
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                *ok = false;
                return 0;
            }
            n = n * 10 + (c.unicode() - '0');
        }
        return n;
    };
    bool ok = true;
    const int day = number(0, 2, &ok);
    const int month = number(3, 2, &ok);
    const int year = number(6, 4, &ok);
    if (!ok)
        return {};
    return QDate(year, month, day); // invalid when the day does not exist
}

bool tryStrToFloat(const QString& text, double* value) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    int i = 0;
    QByteArray normal;
    if (t.at(0) == QLatin1Char('+') || t.at(0) == QLatin1Char('-')) {
        if (t.at(0) == QLatin1Char('-'))
            normal.append('-');
        ++i;
    }
    int exponentAt = int(t.indexOf(QLatin1Char('e'), i, Qt::CaseInsensitive));
    const QString mantissa = t.mid(i, exponentAt < 0 ? -1 : exponentAt - i);
    const QString exponent = exponentAt < 0 ? QString() : t.mid(exponentAt + 1);

    if (mantissa.count(QLatin1Char(',')) > 1)
        return false;
    // The comma is the decimal separator; a dot only ever groups thousands, so "1.500" is
    // fifteen hundred and a dot that is no valid group ("1.5", "1.50.0") is no number at all
    // rather than a decimal point in disguise.
    const int comma = int(mantissa.indexOf(QLatin1Char(',')));
    const bool hasPoint = comma >= 0;
    QString integer = hasPoint ? mantissa.left(comma) : mantissa;
    const QString fraction = hasPoint ? mantissa.mid(comma + 1) : QString();
    if (integer.contains(QLatin1Char('.'))) {
        const QStringList groups = integer.split(QLatin1Char('.'));
        if (groups.first().isEmpty() || groups.first().size() > 3)
            return false;
        for (int g = 1; g < groups.size(); ++g)
            if (groups.at(g).size() != 3)
                return false;
        integer.remove(QLatin1Char('.'));
    }
    auto allDigits = [](const QString& s) {
        for (QChar c : s)
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        return true;
    };
    if (!allDigits(integer) || !allDigits(fraction) || (integer.isEmpty() && fraction.isEmpty()))
        return false;
    normal.append(integer.isEmpty() ? QByteArray("0") : integer.toLatin1());
    if (hasPoint && !fraction.isEmpty())
        normal.append('.').append(fraction.toLatin1());
    if (exponentAt >= 0) {
        QString digits = exponent;
        if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-')))
            digits.remove(0, 1);
        if (digits.isEmpty() || !allDigits(digits))
            return false;
        normal.append('e').append(exponent.toLatin1());
    }
    bool ok = false;
    const double number = QLocale::c().toDouble(QString::fromLatin1(normal), &ok);
    if (!ok || !std::isfinite(number))
        return false;
    *value = number;
    return true;
}
