#include "AssetRows.h"

#include "SqlStatement.h"

#include <QStringList>

namespace ciap::server {

namespace {

const QString detailColumns = QStringLiteral(
    "a.IDTPBEM, a.CDBEMPRINCIPAL, a.CDCONTA, a.CDCCUSTO, a.DSFUNCAO, a.NRVIDAUTIL, a.CDITEM,"
    " a.CDUNIDADE, a.IDDIFALPENDENTE, a.IDORIGEM");
constexpr int DetailCount = 10;

QString documentColumns(const QString& alias) {
    static const QStringList names{
        QStringLiteral("IDEMITENTE"),  QStringLiteral("CDPARTICIPANTE"),
        QStringLiteral("CDMODELO"),    QStringLiteral("NRSERIE"),
        QStringLiteral("NRDOCUMENTO"), QStringLiteral("CHDOCUMENTO"),
        QStringLiteral("DTDOCUMENTO"), QStringLiteral("NRDOCARRECADACAO"),
        QStringLiteral("NRITEM"),      QStringLiteral("CDPRODUTO"),
        QStringLiteral("DSPRODUTO"),   QStringLiteral("QTAPLICADA")};
    QStringList qualified;
    for (const QString& n : names)
        qualified << alias + QLatin1Char('.') + n;
    return qualified.join(QStringLiteral(", "));
}
constexpr int DocumentCount = 12;
static_assert(AssetRows::RegisterColumnCount ==
              1 + AssetRows::ColumnCount + DetailCount + 2 * DocumentCount);

std::optional<AssetDocument> readDocument(const SqlStatement& s, int first) {
    if (s.value(first).isNull())
        return std::nullopt;
    AssetDocument d;
    d.own = s.text(first) == QLatin1String("0");
    d.participant = s.text(first + 1);
    d.model = s.text(first + 2);
    d.series = s.text(first + 3);
    d.number = s.text(first + 4);
    d.key = s.text(first + 5);
    d.date = s.date(first + 6);
    d.paymentDocument = s.text(first + 7);
    d.item = int(s.integer(first + 8));
    d.productCode = s.text(first + 9);
    d.productDescription = s.text(first + 10);
    d.quantity = s.integer(first + 11);
    return d;
}

} // namespace

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

QString AssetRows::registerColumns() {
    return QStringLiteral("a.CDEMPRESA, ") + columns(QStringLiteral("a")) + QStringLiteral(", ") +
           detailColumns + QStringLiteral(", ") + documentColumns(QStringLiteral("e")) +
           QStringLiteral(", ") + documentColumns(QStringLiteral("s"));
}

QString AssetRows::registerFrom(bool datedDocuments) {
    return QStringLiteral(" FROM BEMATIVO a"
                          " LEFT JOIN BEMDOCUMENTO e ON e.CDEMPRESA = a.CDEMPRESA"
                          " AND e.CDBEMATIVO = a.CDBEMATIVO AND e.IDMOVIMENTO = 'E'") +
           (datedDocuments ? QStringLiteral(" AND a.DTENTRADA BETWEEN ? AND ?") : QString()) +
           QStringLiteral(" LEFT JOIN BEMDOCUMENTO s ON s.CDEMPRESA = a.CDEMPRESA"
                          " AND s.CDBEMATIVO = a.CDBEMATIVO AND s.IDMOVIMENTO = 'S'") +
           (datedDocuments ? QStringLiteral(" AND a.DTSAIDA BETWEEN ? AND ?") : QString());
}

RegisterAsset AssetRows::readRegister(const SqlStatement& s) {
    RegisterAsset a;
    a.company = s.text(0);
    a.record = read(s, 1);
    int at = 1 + ColumnCount;
    a.details.component = s.text(at) == QLatin1String("2");
    a.details.mainAsset = s.text(at + 1);
    a.details.account = s.text(at + 2);
    a.details.costCentre = s.text(at + 3);
    a.details.function = s.text(at + 4);
    a.details.usefulLife = int(s.integer(at + 5));
    a.details.item = s.text(at + 6);
    a.details.unit = s.text(at + 7);
    a.details.difalPending = s.text(at + 8) == QLatin1String("S");
    a.details.origin = s.text(at + 9);
    at += DetailCount;
    a.entry = readDocument(s, at);
    a.exit = readDocument(s, at + DocumentCount);
    return a;
}

} // namespace ciap::server
