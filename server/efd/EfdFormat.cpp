#include "EfdFormat.h"

#include <cmath>

namespace ciap::efd {

namespace {

constexpr qint64 kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

bool isAsciiDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool allSame(QStringView s) {
    for (QChar c : s) {
        if (c != s.front())
            return false;
    }
    return true;
}

} // namespace

void EfdFormat::appendFixed(QString& out, qint64 value, int decimals) {
    // Written by hand: a file has hundreds of thousands of figures.
    char buf[32];
    int pos = sizeof buf;
    const bool negative = value < 0;
    quint64 v = negative ? quint64(0) - quint64(value) : quint64(value);
    for (int d = 0; d < decimals; ++d) {
        buf[--pos] = char('0' + v % 10);
        v /= 10;
    }
    if (decimals > 0)
        buf[--pos] = ',';
    do {
        buf[--pos] = char('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative)
        buf[--pos] = '-';
    out.append(QLatin1String(buf + pos, int(sizeof buf) - pos));
}

QString EfdFormat::fixed(qint64 value, int decimals) {
    QString s;
    appendFixed(s, value, decimals);
    return s;
}

void EfdFormat::appendDate(QString& out, const QDate& date) {
    if (!date.isValid())
        return;
    const int parts[] = {date.day(), date.month()};
    for (int p : parts) {
        out.append(QChar(u'0' + p / 10));
        out.append(QChar(u'0' + p % 10));
    }
    const int y = date.year();
    out.append(QChar(u'0' + y / 1000 % 10));
    out.append(QChar(u'0' + y / 100 % 10));
    out.append(QChar(u'0' + y / 10 % 10));
    out.append(QChar(u'0' + y % 10));
}

std::optional<qint64> EfdFormat::parseFixed(QStringView text, int decimals) {
    const qsizetype intDigits = decimals > 0 ? text.size() - decimals - 1 : text.size();
    if (intDigits < 1 || intDigits > 15)
        return std::nullopt;
    if (decimals > 0 && text[intDigits] != QLatin1Char(','))
        return std::nullopt;
    qint64 v = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == intDigits)
            continue;
        if (!isAsciiDigit(text[i]))
            return std::nullopt;
        v = v * 10 + (text[i].unicode() - '0');
    }
    return v;
}

QDate EfdFormat::parseDate(QStringView text) {
    if (text.size() != 8 || !isDigits(text))
        return {};
    const auto num = [&](int from, int len) {
        int v = 0;
        for (int i = from; i < from + len; ++i)
            v = v * 10 + (text[i].unicode() - '0');
        return v;
    };
    return QDate(num(4, 4), num(2, 2), num(0, 2)); // invalid for 31022024 and the like
}

bool EfdFormat::isDigits(QStringView text) {
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return true;
}

int EfdFormat::mod11(QStringView chars) {
    int sum = 0;
    int weight = 2;
    for (qsizetype i = chars.size() - 1; i >= 0; --i) {
        sum += (chars[i].unicode() - 48) * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int rest = sum % 11;
    return rest < 2 ? 0 : 11 - rest;
}

bool EfdFormat::validCnpj(QStringView cnpj) {
    if (cnpj.size() != 14 || !isDigits(cnpj) || allSame(cnpj))
        return false;
    return mod11(cnpj.first(12)) == cnpj[12].unicode() - '0' &&
           mod11(cnpj.first(13)) == cnpj[13].unicode() - '0';
}

bool EfdFormat::validCpf(QStringView cpf) {
    if (cpf.size() != 11 || !isDigits(cpf) || allSame(cpf))
        return false;
    // Weights 10..2 and 11..2: mod 11 with weights growing from 2 on the right, no cycle.
    for (int n = 9; n <= 10; ++n) {
        int sum = 0;
        for (int i = 0; i < n; ++i)
            sum += (cpf[i].unicode() - '0') * (n + 1 - i);
        const int digit = sum * 10 % 11 % 10;
        if (digit != cpf[n].unicode() - '0')
            return false;
    }
    return true;
}

bool EfdFormat::validAccessKey(QStringView key) {
    if (key.size() != 44)
        return false;
    const QStringView year = key.sliced(2, 2); // AAMM of the issue starts at position 3
    const bool lettersAllowed =
        isDigits(year) && (year[0].unicode() - '0') * 10 + (year[1].unicode() - '0') >= 26;
    for (qsizetype i = 0; i < 44; ++i) {
        const QChar c = key[i];
        const bool letter = c.unicode() >= 'A' && c.unicode() <= 'Z';
        if (!isAsciiDigit(c) && !(letter && lettersAllowed && i >= 6 && i < 18))
            return false;
    }
    return mod11(key.first(43)) == key[43].unicode() - '0';
}

qint64 EfdFormat::roundToCents(double value) {
    return std::llround(value * double(kPowers[2]));
}

qint64 EfdFormat::roundToIndex8(double value) {
    return std::llround(value * double(kPowers[8]));
}

} // namespace ciap::efd
