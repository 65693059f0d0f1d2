#include "SampleDocuments.h"

#include "AccessKey.h"

#include <QFile>
#include <QRegularExpression>

namespace samples {

QString path(const QString& name) {
    return QStringLiteral(CIAP_DOCUMENTS_DATA "/") + name;
}

QByteArray read(const QString& name) {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("sample %s missing", qPrintable(name));
    return file.readAll();
}

QString keyOf(const QByteArray& xml) {
    static const QRegularExpression id(QStringLiteral("Id=\"(?:NFe|CTe)([0-9A-Z]{44})\""));
    return id.match(QString::fromUtf8(xml)).captured(1);
}

QByteArray renumbered(const QByteArray& xml, qint64 number) {
    const QString old = keyOf(xml);
    const QString body =
        old.left(25) + QStringLiteral("%1").arg(number, 9, 10, QLatin1Char('0')) + old.mid(34, 9);
    const QString key = body + QString::number(ciap::documents::mod11CheckDigit(body));
    QString text = QString::fromUtf8(xml);
    text.replace(old, key);
    static const QRegularExpression numberTag(QStringLiteral("<(nNF|nCT)>\\d+</(nNF|nCT)>"));
    text.replace(numberTag, QStringLiteral("<\\1>%1</\\2>").arg(number));
    static const QRegularExpression checkDigit(QStringLiteral("<cDV>\\d</cDV>"));
    text.replace(checkDigit, QStringLiteral("<cDV>%1</cDV>").arg(key.right(1)));
    return text.toUtf8();
}

QByteArray outgoingItem(qint64 number, const QString& cfop, const QString& productCode,
                        const QString& quantity, const QString& information) {
    QString text = QString::fromUtf8(renumbered(read(Outgoing), number));
    // Item 4 of the sample is the sale of an asset; the others go.
    const qsizetype first = text.indexOf(QLatin1String("<det nItem=\"1\">"));
    const qsizetype fourth = text.indexOf(QLatin1String("<det nItem=\"4\">"));
    const qsizetype fifth = text.indexOf(QLatin1String("<det nItem=\"5\">"));
    const qsizetype total = text.indexOf(QLatin1String("<total>"));
    QString item = text.mid(fourth, fifth - fourth);
    item.replace(QLatin1String("nItem=\"4\""), QLatin1String("nItem=\"1\""));
    item.replace(QLatin1String("<cProd>PH-100</cProd>"),
                 QStringLiteral("<cProd>%1</cProd>").arg(productCode));
    item.replace(QLatin1String("<CFOP>5551</CFOP>"), QStringLiteral("<CFOP>%1</CFOP>").arg(cfop));
    item.replace(QLatin1String("<qCom>1.0000</qCom>"),
                 QStringLiteral("<qCom>%1</qCom>").arg(quantity));
    item.replace(QLatin1String("Bem do ativo imobilizado adquirido em 2019"), information);
    return (text.left(first) + item + text.mid(total)).toUtf8();
}

} // namespace samples
