#include "RegisterFormat.h"

#include <QRegularExpression>

namespace RegisterFormat {

QString centsText(qint64 cents) {
    const bool negative = cents < 0;
    const qint64 value = negative ? -cents : cents;
    QString units = QString::number(value / 100);
    for (qsizetype at = units.size() - 3; at > 0; at -= 3)
        units.insert(at, QLatin1Char('.'));
    return (negative ? QStringLiteral("-") : QString()) + units + QLatin1Char(',') +
           QStringLiteral("%1").arg(value % 100, 2, 10, QLatin1Char('0'));
}

std::optional<qint64> parseCents(const QString& text) {
    // Thousands grouped by dots in threes, or not grouped; a comma and up to two decimals.
    static const QRegularExpression amount(
        QStringLiteral("^(\\d{1,3}(?:\\.\\d{3})+|\\d{1,13})(?:,(\\d{1,2}))?$"));
    const QRegularExpressionMatch m = amount.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    QString units = m.captured(1);
    units.remove(QLatin1Char('.'));
    if (units.size() > 13)
        return std::nullopt;
    const QString decimals = m.captured(2).leftJustified(2, QLatin1Char('0'));
    return units.toLongLong() * 100 + decimals.toInt();
}

bool isAccessKey(const QString& key) {
    static const QRegularExpression shape(QStringLiteral("^\\d{6}[0-9A-Z]{14}\\d{24}$"));
    if (!shape.match(key).hasMatch())
        return false;
    // Letters count by their code minus that of '0', as the alphanumeric CNPJ has it.
    int sum = 0;
    int weight = 2;
    for (int i = 42; i >= 0; --i) {
        sum += (key.at(i).unicode() - u'0') * weight;
        weight = weight == 9 ? 2 : weight + 1;
    }
    const int remainder = sum % 11;
    const int digit = remainder < 2 ? 0 : 11 - remainder;
    return key.at(43).unicode() - u'0' == digit;
}

} // namespace RegisterFormat
