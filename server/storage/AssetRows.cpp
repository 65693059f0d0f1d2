#include "AssetRows.h"

#include "SqlStatement.h"

#include <QStringList>

namespace ciap::server {

QString AssetRows::columns(const QString& alias) {
    static const QStringList names{
        QStringLiteral("CDBEMATIVO"),      QStringLiteral("NMBEMATIVO"),
        QStringLiteral("CDPATRIBEMATIVO"), QStringLiteral("CDINSCESTA"),
        QStringLiteral("DTENTRADA"),       QStringLiteral("VRICMSPROPRIO"),
        QStringLiteral("VRICMSST"),        QStringLiteral("VRICMSFRETE"),
        QStringLiteral("VRICMSDIFAL"),     QStringLiteral("NRPARCELAS"),
        QStringLiteral("IDTPAPROPPISCOF"), QStringLiteral("DTSAIDA"),
        QStringLiteral("IDTPSAIDA")};
    QStringList qualified;
    for (const QString& n : names)
        qualified << alias + QLatin1Char('.') + n;
    return qualified.join(QStringLiteral(", "));
}

AssetRecord AssetRows::read(const SqlStatement& s, int first) {
    AssetRecord a;
    a.number = s.text(first);
    a.name = s.text(first + 1);
    a.patrimony = s.text(first + 2);
    a.registration = s.text(first + 3);
    a.entry = s.date(first + 4);
    a.ownIcms = s.number(first + 5);
    a.stIcms = s.number(first + 6);
    a.freightIcms = s.number(first + 7);
    a.difalIcms = s.number(first + 8);
    a.instalments = int(s.integer(first + 9));
    a.appropriationType = s.text(first + 10);
    a.exitDate = s.date(first + 11);
    a.exitKind = s.text(first + 12);
    return a;
}

} // namespace ciap::server
