#include "DemoDocuments.h"

#include "AccessKey.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

// Outside any namespace, as Qt requires: the resources of a static library are registered by
// the code that uses them.
static void registerDemoResources() {
    Q_INIT_RESOURCE(documents);
}

namespace ciap::server {

namespace {

QString shiftedKey(const QString& key, int months) {
    const QDate issued =
        QDate(2000 + key.mid(2, 2).toInt(), key.mid(4, 2).toInt(), 1).addMonths(months);
    const QString body = key.left(2) + issued.toString(QStringLiteral("yyMM")) + key.mid(6, 37);
    return body + QString::number(documents::mod11CheckDigit(body));
}

} // namespace

QByteArray DemoDocuments::shifted(const QByteArray& xml, int months) {
    QString text = QString::fromUtf8(xml);
    static const QRegularExpression date(QStringLiteral("(\\d{4})-(\\d{2})-(\\d{2})(?=T)"));
    static const QRegularExpression key(
        QStringLiteral("(?:(?<=ID110111)|(?<![0-9]))\\d{44}(?=(?:\\d{2})?(?![0-9]))"));
    static const QRegularExpression own(QStringLiteral("Id=\"(?:NFe|CTe)(\\d{44})\""));
    static const QRegularExpression checkDigit(QStringLiteral("<cDV>\\d</cDV>"));
    QString out;
    qsizetype at = 0;
    for (auto it = date.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const QDate d = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt())
                            .addMonths(months);
        out += QStringView(text).mid(at, m.capturedStart() - at);
        out += d.toString(Qt::ISODate);
        at = m.capturedEnd();
    }
    text = out + text.mid(at);
    out.clear();
    at = 0;
    // A key stands alone, or ends an event's Id followed by the two digits of its sequence.
    for (auto it = key.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(text).mid(at, m.capturedStart() - at);
        out += shiftedKey(m.captured(0), months);
        at = m.capturedEnd(0);
    }
    text = out + text.mid(at);
    if (const auto m = own.match(text); m.hasMatch())
        text.replace(checkDigit, QStringLiteral("<cDV>%1</cDV>").arg(m.captured(1).right(1)));
    return text.toUtf8();
}

QList<ImportSource> DemoDocuments::load(int months) {
    registerDemoResources();
    const QDir dir(QStringLiteral(":/demo/documents"));
    QList<ImportSource> out;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("demo document %s cannot be read", qPrintable(name));
        out.append({name, {}, shifted(file.readAll(), months)});
    }
    return out;
}

} // namespace ciap::server
