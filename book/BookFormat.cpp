#include "BookFormat.h"

namespace ciap::book {

namespace {

QString grouped(qint64 units) {
    QString text = QString::number(units);
    for (qsizetype at = text.size() - 3; at > 0; at -= 3)
        text.insert(at, QLatin1Char('.'));
    return text;
}

} // namespace

QString BookFormat::money(qint64 cents) {
    const qint64 value = cents < 0 ? -cents : cents;
    return (cents < 0 ? QStringLiteral("-") : QString()) + grouped(value / 100) + QLatin1Char(',') +
           QStringLiteral("%1").arg(value % 100, 2, 10, QLatin1Char('0'));
}

QString BookFormat::coefficient(qint64 value) {
    const qint64 v = value < 0 ? -value : value;
    return (value < 0 ? QStringLiteral("-") : QString()) + QString::number(v / CoefficientOne) +
           QLatin1Char(',') + QStringLiteral("%1").arg(v % CoefficientOne, 8, 10, QLatin1Char('0'));
}

QString BookFormat::date(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString BookFormat::cnpj(const QString& digits) {
    if (digits.size() != 14)
        return digits;
    return QStringLiteral("%1.%2.%3/%4-%5")
        .arg(digits.left(2), digits.mid(2, 3), digits.mid(5, 3), digits.mid(8, 4),
             digits.mid(12, 2));
}

QString BookFormat::exitKind(const QString& kind) {
    if (kind == QLatin1String("V"))
        return QStringLiteral("venda");
    if (kind == QLatin1String("P"))
        return QStringLiteral("perda");
    if (kind == QLatin1String("O"))
        return QStringLiteral("outra saída");
    return kind;
}

QString BookFormat::document(const BookDocument& d) {
    const QString kind = d.model == QLatin1String("55")   ? QStringLiteral("NF-e")
                         : d.model == QLatin1String("57") ? QStringLiteral("CT-e")
                                                          : QStringLiteral("NF");
    QString text = QStringLiteral("%1 %2").arg(kind, d.model);
    if (!d.series.isEmpty())
        text += QStringLiteral(" série %1").arg(d.series);
    if (!d.number.isEmpty())
        text += QStringLiteral(" nº %1").arg(d.number);
    if (d.date.isValid())
        text += QStringLiteral(" de %1").arg(date(d.date));
    return text;
}

QString BookFormat::modelTitle(BookModel model) {
    return model == BookModel::C ? QStringLiteral("Modelo C") : QStringLiteral("Modelo D");
}

} // namespace ciap::book
