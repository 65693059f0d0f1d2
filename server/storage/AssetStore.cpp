#include "AssetStore.h"

#include "AssetRows.h"
#include "ColumnValues.h"
#include "Keys.h"
#include "SqlStatement.h"

namespace ciap::server {

namespace {

// Still in place, or gone without the document of its exit.
const QString mayLeave =
    QStringLiteral(" AND (a.DTSAIDA IS NULL OR NOT EXISTS (SELECT 1 FROM BEMDOCUMENTO s"
                   " WHERE s.CDEMPRESA = a.CDEMPRESA AND s.CDBEMATIVO = a.CDBEMATIVO"
                   " AND s.IDMOVIMENTO = 'S' AND s.CHDOCUMENTO IS NOT NULL))");

// The columns an insert and an update both write, from NMBEMATIVO to IDORIGEM, in that order.
SqlStatement& bindColumns(SqlStatement& s, const RegisterAsset& asset) {
    const AssetRecord& r = asset.record;
    const AssetDetails& d = asset.details;
    return s.bind(notNull(r.name, 50))
        .bind(notNull(r.patrimony, 30))
        .bind(r.registration)
        .bind(r.entry)
        .bind(r.ownIcms)
        .bind(r.stIcms)
        .bind(r.freightIcms)
        .bind(r.difalIcms)
        .bind(r.instalments)
        .bind(r.appropriationType.isEmpty() ? QStringLiteral("01") : r.appropriationType)
        .bind(dateOrNull(r.exitDate))
        .bind(fitted(r.exitKind, 1))
        .bind(d.component ? QStringLiteral("2") : QStringLiteral("1"))
        .bind(fitted(d.mainAsset, 10))
        .bind(fitted(d.account, 60))
        .bind(fitted(d.costCentre, 60))
        .bind(fitted(d.function, 200))
        .bind(d.usefulLife > 0 ? QVariant(d.usefulLife) : QVariant())
        .bind(fitted(d.item, 60))
        .bind(fitted(d.unit, 6))
        .bind(yesNo(d.difalPending))
        .bind(fitted(d.origin, 2));
}

} // namespace

bool AssetStore::exists(const QString& company, const QString& code) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT 1 FROM BEMATIVO WHERE CDEMPRESA = ? AND CDBEMATIVO = ?"),
                   "asset exists");
    s.bind(company).bind(code).exec();
    return s.next();
}

QString AssetStore::nextCode(const QString& company) {
    for (;;) {
        SqlStatement step(
            m_session,
            QStringLiteral("UPDATE BEMSEQ SET NRULTBEM = NRULTBEM + 1 WHERE CDEMPRESA = ?"),
            "asset counter");
        step.bind(company).exec();
        if (step.rowsAffected() == 0) {
            // The first code of a company: after the highest numeric code of the register, so
            // that codes given before the counter existed are not given again either.
            qint64 highest = 0;
            SqlStatement codes(
                m_session, QStringLiteral("SELECT CDBEMATIVO FROM BEMATIVO WHERE CDEMPRESA = ?"),
                "asset codes", SqlStatement::Cache::No);
            codes.bind(company).exec();
            while (codes.next()) {
                bool ok = false;
                const qint64 n = codes.text(0).trimmed().toLongLong(&ok);
                if (ok && n > highest)
                    highest = n;
            }
            SqlStatement(m_session,
                         QStringLiteral("INSERT INTO BEMSEQ (CDEMPRESA, NRULTBEM) VALUES (?, ?)"),
                         "asset counter start")
                .bind(company)
                .bind(highest + 1)
                .exec();
        }
        SqlStatement read(m_session,
                          QStringLiteral("SELECT NRULTBEM FROM BEMSEQ WHERE CDEMPRESA = ?"),
                          "asset counter read");
        read.bind(company).exec();
        read.next();
        const QString code =
            QStringLiteral("%1").arg(read.integer(0), Keys::AssetWidth, 10, QLatin1Char('0'));
        // A code typed by hand may already hold the number: step over it.
        if (!exists(company, code))
            return code;
    }
}

QList<RegisterAsset> AssetStore::select(const QString& where, const QVariantList& values,
                                        const char* label) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT ") + AssetRows::registerColumns() +
                       AssetRows::registerFrom() + where,
                   label);
    for (const QVariant& v : values)
        s.bind(v);
    s.exec();
    QList<RegisterAsset> out;
    while (s.next())
        out.append(AssetRows::readRegister(s));
    return out;
}

std::optional<RegisterAsset> AssetStore::find(const QString& company, const QString& code) {
    const QList<RegisterAsset> found =
        select(QStringLiteral(" WHERE a.CDEMPRESA = ? AND a.CDBEMATIVO = ?"), {company, code},
               "register asset");
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

QList<RegisterAsset> AssetStore::list(const QString& company, const QString& registration) {
    if (registration.isEmpty())
        return select(QStringLiteral(" WHERE a.CDEMPRESA = ? ORDER BY a.CDBEMATIVO"), {company},
                      "register assets");
    return select(
        QStringLiteral(" WHERE a.CDEMPRESA = ? AND a.CDINSCESTA = ? ORDER BY a.CDBEMATIVO"),
        {company, registration}, "register assets of a registration");
}

QList<RegisterAsset> AssetStore::fromEntryDocument(const QString& company, const QString& key) {
    return select(
        QStringLiteral(" WHERE a.CDEMPRESA = ? AND e.CHDOCUMENTO = ? ORDER BY a.CDBEMATIVO"),
        {company, key}, "assets of an entry document");
}

QList<RegisterAsset> AssetStore::fromEntryItem(const QString& company, const QString& key,
                                               int item) {
    return select(QStringLiteral(" WHERE a.CDEMPRESA = ? AND e.CHDOCUMENTO = ? AND e.NRITEM = ?"
                                 " ORDER BY a.CDBEMATIVO"),
                  {company, key, item}, "assets of an entry item");
}

QList<RegisterAsset> AssetStore::exitedBy(const QString& key) {
    return select(QStringLiteral(" WHERE s.CHDOCUMENTO = ? ORDER BY a.CDEMPRESA, a.CDBEMATIVO"),
                  {key}, "assets of an exit document");
}

QStringList AssetStore::byPatrimony(const QString& company, const QString& registration,
                                    const QString& patrimony) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT a.CDBEMATIVO FROM BEMATIVO a WHERE a.CDEMPRESA = ?"
                                  " AND a.CDINSCESTA = ? AND a.CDPATRIBEMATIVO = ?") +
                       mayLeave + QStringLiteral(" ORDER BY a.CDBEMATIVO"),
                   "assets by patrimony code");
    s.bind(company).bind(registration).bind(patrimony).exec();
    QStringList out;
    while (s.next())
        out << s.text(0);
    return out;
}

QStringList AssetStore::byEntryDocument(const QString& company, const QString& registration,
                                        const QString& key, const QString& productCode) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT a.CDBEMATIVO FROM BEMATIVO a JOIN BEMDOCUMENTO e"
                                  " ON e.CDEMPRESA = a.CDEMPRESA AND e.CDBEMATIVO = a.CDBEMATIVO"
                                  " AND e.IDMOVIMENTO = 'E' WHERE a.CDEMPRESA = ?"
                                  " AND a.CDINSCESTA = ? AND e.CHDOCUMENTO = ?"
                                  " AND (e.CDPRODUTO = ? OR a.CDITEM = ?)") +
                       mayLeave + QStringLiteral(" ORDER BY a.CDBEMATIVO"),
                   "assets by entry document");
    s.bind(company).bind(registration).bind(key).bind(productCode).bind(productCode).exec();
    QStringList out;
    while (s.next())
        out << s.text(0);
    return out;
}

bool AssetStore::inAnyCompetencia(const QString& company, const QString& code) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT 1 FROM CIAPBEM WHERE CDEMPRESA = ? AND CDBEMATIVO = ?"),
                   "asset in a competencia");
    s.bind(company).bind(code).exec();
    return s.next();
}

void AssetStore::insert(const RegisterAsset& asset) {
    const AssetRecord& r = asset.record;
    SqlStatement s(
        m_session,
        QStringLiteral("INSERT INTO BEMATIVO (CDEMPRESA, CDBEMATIVO, NMBEMATIVO, CDPATRIBEMATIVO,"
                       " CDINSCESTA, DTENTRADA, VRICMSPROPRIO, VRICMSST, VRICMSFRETE, VRICMSDIFAL,"
                       " NRPARCELAS, IDTPAPROPPISCOF, DTSAIDA, IDTPSAIDA, IDTPBEM, CDBEMPRINCIPAL,"
                       " CDCONTA, CDCCUSTO, DSFUNCAO, NRVIDAUTIL, CDITEM, CDUNIDADE,"
                       " IDDIFALPENDENTE, IDORIGEM) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                       " ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        "insert asset");
    s.bind(asset.company).bind(r.number);
    bindColumns(s, asset).exec();
    writeDocuments(asset);
}

void AssetStore::update(const RegisterAsset& asset) {
    const AssetRecord& r = asset.record;
    SqlStatement s(
        m_session,
        QStringLiteral("UPDATE BEMATIVO SET NMBEMATIVO = ?, CDPATRIBEMATIVO = ?, CDINSCESTA = ?,"
                       " DTENTRADA = ?, VRICMSPROPRIO = ?, VRICMSST = ?, VRICMSFRETE = ?,"
                       " VRICMSDIFAL = ?, NRPARCELAS = ?, IDTPAPROPPISCOF = ?, DTSAIDA = ?,"
                       " IDTPSAIDA = ?, IDTPBEM = ?, CDBEMPRINCIPAL = ?, CDCONTA = ?, CDCCUSTO = ?,"
                       " DSFUNCAO = ?, NRVIDAUTIL = ?, CDITEM = ?, CDUNIDADE = ?,"
                       " IDDIFALPENDENTE = ?, IDORIGEM = ? WHERE CDEMPRESA = ? AND CDBEMATIVO = ?"),
        "update asset");
    bindColumns(s, asset).bind(asset.company).bind(r.number).exec();
    SqlStatement(m_session,
                 QStringLiteral("DELETE FROM BEMDOCUMENTO WHERE CDEMPRESA = ? AND CDBEMATIVO = ?"),
                 "clear asset documents")
        .bind(asset.company)
        .bind(r.number)
        .exec();
    writeDocuments(asset);
}

void AssetStore::writeDocuments(const RegisterAsset& asset) {
    const std::pair<const char*, const std::optional<AssetDocument>*> documents[] = {
        {"E", &asset.entry}, {"S", &asset.exit}};
    for (const auto& [movement, document] : documents) {
        if (!*document)
            continue;
        const AssetDocument& d = **document;
        SqlStatement(
            m_session,
            QStringLiteral("INSERT INTO BEMDOCUMENTO (CDEMPRESA, CDBEMATIVO, IDMOVIMENTO,"
                           " IDEMITENTE, CDPARTICIPANTE, CDMODELO, NRSERIE, NRDOCUMENTO,"
                           " CHDOCUMENTO, DTDOCUMENTO, NRDOCARRECADACAO, NRITEM, CDPRODUTO,"
                           " DSPRODUTO, QTAPLICADA) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?,"
                           " ?, ?, ?)"),
            "insert asset document")
            .bind(asset.company)
            .bind(asset.record.number)
            .bind(QString::fromLatin1(movement))
            .bind(d.own ? QStringLiteral("0") : QStringLiteral("1"))
            .bind(fitted(d.participant, 60))
            .bind(fitted(d.model, 2))
            .bind(fitted(d.series, 3))
            .bind(fitted(d.number, 9))
            .bind(fitted(d.key, 44))
            .bind(dateOrNull(d.date))
            .bind(fitted(d.paymentDocument, 60))
            .bind(d.item > 0 ? QVariant(d.item) : QVariant())
            .bind(fitted(d.productCode, 60))
            .bind(fitted(d.productDescription, 120))
            .bind(d.quantity > 0 ? QVariant(d.quantity) : QVariant())
            .exec();
    }
}

void AssetStore::remove(const QString& company, const QString& code) {
    SqlStatement(m_session,
                 QStringLiteral("DELETE FROM BEMDOCUMENTO WHERE CDEMPRESA = ? AND CDBEMATIVO = ?"),
                 "delete asset documents")
        .bind(company)
        .bind(code)
        .exec();
    SqlStatement(m_session,
                 QStringLiteral("DELETE FROM BEMATIVO WHERE CDEMPRESA = ? AND CDBEMATIVO = ?"),
                 "delete asset")
        .bind(company)
        .bind(code)
        .exec();
}

} // namespace ciap::server
