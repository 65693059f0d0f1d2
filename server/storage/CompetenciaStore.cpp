#include "CompetenciaStore.h"

#include "AssetRows.h"
#include "Session.h"
#include "SqlStatement.h"
#include "StorageError.h"

namespace ciap::server {

namespace {

const QString rowColumns = QStringLiteral(
    "c.CDEMPRESA, c.CDIMPOSTO, c.NRSEQCIAP, c.CDINSCESTA, c.DTCOMPETECIAP, c.VRSAIDACIAP,"
    " c.VRSAIDATRIBCIAP, c.VRCOEFICIAP, c.VRSALDOPARCCIAP, c.VRCREDAPROPCIAP, c.IDSITCOMPETCIAP,"
    " c.NRQTDBENS");

CompetenciaRow readRow(const SqlStatement& s) {
    CompetenciaRow r;
    r.company = s.text(0);
    r.tax = s.text(1);
    r.sequence = s.integer(2);
    r.registration = s.text(3);
    r.month = Month::of(s.date(4));
    r.total = s.number(5);
    r.taxed = s.number(6);
    r.coefficient = s.number(7);
    r.balance = s.number(8);
    r.credit = s.number(9);
    r.situation = s.text(10);
    r.assetCount = int(s.integer(11));
    return r;
}

const QString byIdentity =
    QStringLiteral(" WHERE CDEMPRESA = ? AND CDIMPOSTO = ? AND NRSEQCIAP = ?");

} // namespace

std::optional<CompetenciaRow> CompetenciaStore::find(const QString& company, const QString& tax,
                                                     qint64 sequence, bool lock) {
    QString sql = QStringLiteral("SELECT ") + rowColumns +
                  QStringLiteral(" FROM CIAPCOMPET c WHERE c.CDEMPRESA = ? AND c.CDIMPOSTO = ?"
                                 " AND c.NRSEQCIAP = ?");
    if (lock)
        sql += m_session.config().lockClause();
    SqlStatement s(m_session, sql, "competência");
    s.bind(company).bind(tax).bind(sequence).exec();
    if (!s.next())
        return std::nullopt;
    return readRow(s);
}

std::optional<CompetenciaRow> CompetenciaStore::findByKey(const QString& company,
                                                          const QString& tax,
                                                          const QString& registration,
                                                          const Month& month) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT ") + rowColumns +
                       QStringLiteral(" FROM CIAPCOMPET c WHERE c.CDEMPRESA = ? AND c.CDIMPOSTO = ?"
                                      " AND c.CDINSCESTA = ? AND c.DTCOMPETECIAP = ?"),
                   "competência by key");
    s.bind(company).bind(tax).bind(registration).bind(month.firstDay()).exec();
    if (!s.next())
        return std::nullopt;
    return readRow(s);
}

int CompetenciaStore::countByKey(const QString& company, const QString& tax,
                                 const QString& registration, const Month& month) {
    SqlStatement s(
        m_session,
        QStringLiteral("SELECT COUNT(*) FROM CIAPCOMPET WHERE CDEMPRESA = ? AND CDIMPOSTO = ?"
                       " AND CDINSCESTA = ? AND DTCOMPETECIAP = ?"),
        "competência count");
    s.bind(company).bind(tax).bind(registration).bind(month.firstDay()).exec();
    return s.next() ? int(s.integer(0)) : 0;
}

QList<CompetenciaRow> CompetenciaStore::list(const QString& company, const QString& tax,
                                             const Month& from, const Month& to,
                                             const std::optional<QString>& registration) {
    QString sql = QStringLiteral("SELECT ") + rowColumns +
                  QStringLiteral(", e.NMEMPRESA, i.NMIMPOSTO FROM CIAPCOMPET c"
                                 " JOIN EMPRESA e ON e.CDEMPRESA = c.CDEMPRESA"
                                 " JOIN IMPOSTO i ON i.CDIMPOSTO = c.CDIMPOSTO"
                                 " WHERE c.CDEMPRESA = ? AND c.CDIMPOSTO = ?"
                                 " AND c.DTCOMPETECIAP BETWEEN ? AND ?");
    if (registration)
        sql += QStringLiteral(" AND c.CDINSCESTA = ?");
    sql += QStringLiteral(" ORDER BY c.DTCOMPETECIAP, c.CDINSCESTA, c.NRSEQCIAP");
    SqlStatement s(m_session, sql, "competência list");
    s.bind(company).bind(tax).bind(from.firstDay()).bind(to.firstDay());
    if (registration)
        s.bind(*registration);
    s.exec();
    QList<CompetenciaRow> out;
    while (s.next()) {
        CompetenciaRow r = readRow(s);
        r.companyName = s.text(12);
        r.taxName = s.text(13);
        out.append(std::move(r));
    }
    return out;
}

qint64 CompetenciaStore::nextSequence(const QString& company, const QString& tax) {
    SqlStatement s(
        m_session,
        QStringLiteral("INSERT INTO CIAPSEQ (CDEMPRESA, CDIMPOSTO, NRULTSEQ) VALUES (?, ?, 1)"
                       " ON CONFLICT (CDEMPRESA, CDIMPOSTO)"
                       " DO UPDATE SET NRULTSEQ = CIAPSEQ.NRULTSEQ + 1 RETURNING NRULTSEQ"),
        "next sequence");
    s.bind(company).bind(tax).exec();
    if (!s.next())
        throw StorageError(QStringLiteral("next sequence"), QString(),
                           QStringLiteral("no row returned"));
    return s.integer(0);
}

qint64 CompetenciaStore::lastSequence(const QString& company, const QString& tax) {
    SqlStatement s(
        m_session,
        QStringLiteral("SELECT NRULTSEQ FROM CIAPSEQ WHERE CDEMPRESA = ? AND CDIMPOSTO = ?"),
        "last sequence");
    s.bind(company).bind(tax).exec();
    return s.next() ? s.integer(0) : 0;
}

void CompetenciaStore::insert(const CompetenciaRow& row) {
    SqlStatement s(
        m_session,
        QStringLiteral("INSERT INTO CIAPCOMPET (CDEMPRESA, CDIMPOSTO, NRSEQCIAP, CDINSCESTA,"
                       " DTCOMPETECIAP, VRSAIDACIAP, VRSAIDATRIBCIAP, VRCOEFICIAP,"
                       " VRSALDOPARCCIAP, VRCREDAPROPCIAP, IDSITCOMPETCIAP, NRQTDBENS)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        "insert competência");
    s.bind(row.company)
        .bind(row.tax)
        .bind(row.sequence)
        .bind(row.registration)
        .bind(row.month.firstDay())
        .bind(row.total)
        .bind(row.taxed)
        .bind(row.coefficient)
        .bind(row.balance)
        .bind(row.credit)
        .bind(row.situation)
        .bind(row.assetCount)
        .exec();
}

void CompetenciaStore::updateKeyAndOutgoing(const CompetenciaRow& row) {
    SqlStatement s(m_session,
                   QStringLiteral("UPDATE CIAPCOMPET SET CDINSCESTA = ?, DTCOMPETECIAP = ?,"
                                  " VRSAIDACIAP = ?, VRSAIDATRIBCIAP = ?") +
                       byIdentity,
                   "update competência");
    s.bind(row.registration)
        .bind(row.month.firstDay())
        .bind(row.total)
        .bind(row.taxed)
        .bind(row.company)
        .bind(row.tax)
        .bind(row.sequence)
        .exec();
}

void CompetenciaStore::setSituation(const CompetenciaRow& row, const QString& situation) {
    SqlStatement s(m_session,
                   QStringLiteral("UPDATE CIAPCOMPET SET IDSITCOMPETCIAP = ?") + byIdentity,
                   "situation");
    s.bind(situation).bind(row.company).bind(row.tax).bind(row.sequence).exec();
}

void CompetenciaStore::remove(const CompetenciaRow& row) {
    removeAllAssets(row);
    SqlStatement s(m_session, QStringLiteral("DELETE FROM CIAPCOMPET") + byIdentity,
                   "delete competência");
    s.bind(row.company).bind(row.tax).bind(row.sequence).exec();
}

bool CompetenciaStore::hasAsset(const CompetenciaRow& row, const QString& asset) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT 1 FROM CIAPBEM") + byIdentity +
                       QStringLiteral(" AND CDBEMATIVO = ?"),
                   "asset loaded");
    s.bind(row.company).bind(row.tax).bind(row.sequence).bind(asset).exec();
    return s.next();
}

void CompetenciaStore::upsertAsset(const CompetenciaRow& row, const QString& asset,
                                   qint64 instalmentCents, double factor) {
    const double instalment = double(instalmentCents) / 100.0;
    SqlStatement s(
        m_session,
        QStringLiteral("INSERT INTO CIAPBEM (CDEMPRESA, CDIMPOSTO, NRSEQCIAP, CDBEMATIVO,"
                       " VRPARCELACIAP, VRAPROPARCCIAP) VALUES (?, ?, ?, ?, ?, ?)"
                       " ON CONFLICT (CDEMPRESA, CDIMPOSTO, NRSEQCIAP, CDBEMATIVO)"
                       " DO UPDATE SET VRPARCELACIAP = excluded.VRPARCELACIAP,"
                       " VRAPROPARCCIAP = excluded.VRAPROPARCCIAP"),
        "upsert asset");
    s.bind(row.company)
        .bind(row.tax)
        .bind(row.sequence)
        .bind(asset)
        .bind(instalment)
        .bind(instalment * factor)
        .exec();
}

void CompetenciaStore::removeAsset(const CompetenciaRow& row, const QString& asset) {
    SqlStatement s(m_session,
                   QStringLiteral("DELETE FROM CIAPBEM") + byIdentity +
                       QStringLiteral(" AND CDBEMATIVO = ?"),
                   "delete asset");
    s.bind(row.company).bind(row.tax).bind(row.sequence).bind(asset).exec();
}

void CompetenciaStore::removeAllAssets(const CompetenciaRow& row) {
    SqlStatement s(m_session, QStringLiteral("DELETE FROM CIAPBEM") + byIdentity, "delete assets");
    s.bind(row.company).bind(row.tax).bind(row.sequence).exec();
}

void CompetenciaStore::insertAssets(const CompetenciaRow& row, const QList<AssetValue>& assets) {
    // Many rows per statement: one round trip per batch instead of per asset on PostgreSQL.
    constexpr int Batch = 200;
    auto sqlFor = [](int rows) {
        QString sql =
            QStringLiteral("INSERT INTO CIAPBEM (CDEMPRESA, CDIMPOSTO, NRSEQCIAP, CDBEMATIVO,"
                           " VRPARCELACIAP, VRAPROPARCCIAP) VALUES ");
        for (int i = 0; i < rows; ++i)
            sql += i == 0 ? QStringLiteral("(?, ?, ?, ?, ?, ?)")
                          : QStringLiteral(", (?, ?, ?, ?, ?, ?)");
        return sql;
    };
    const QString fullBatch = sqlFor(Batch);
    for (qsizetype start = 0; start < assets.size(); start += Batch) {
        const int rows = int(std::min<qsizetype>(Batch, assets.size() - start));
        SqlStatement s(m_session, rows == Batch ? fullBatch : sqlFor(rows), "load assets",
                       rows == Batch ? SqlStatement::Cache::Yes : SqlStatement::Cache::No);
        for (int i = 0; i < rows; ++i) {
            const AssetValue& a = assets[start + i];
            s.bind(row.company)
                .bind(row.tax)
                .bind(row.sequence)
                .bind(a.asset)
                .bind(double(a.instalmentCents) / 100.0)
                .bind(a.appropriated);
        }
        s.exec();
    }
}

QList<LoadedAsset> CompetenciaStore::loadedAssets(const CompetenciaRow& row) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT ") + AssetRows::columns(QStringLiteral("a")) +
                       QStringLiteral(", CAST(ROUND(b.VRPARCELACIAP * 100) AS BIGINT)"
                                      " FROM CIAPBEM b JOIN BEMATIVO a ON a.CDEMPRESA = b.CDEMPRESA"
                                      " AND a.CDBEMATIVO = b.CDBEMATIVO WHERE b.CDEMPRESA = ?"
                                      " AND b.CDIMPOSTO = ? AND b.NRSEQCIAP = ?"
                                      " ORDER BY b.CDBEMATIVO"),
                   "loaded assets");
    s.bind(row.company).bind(row.tax).bind(row.sequence).exec();
    QList<LoadedAsset> out;
    out.reserve(row.assetCount);
    while (s.next())
        out.append(LoadedAsset{AssetRows::read(s), s.integer(AssetRows::ColumnCount)});
    return out;
}

void CompetenciaStore::scaleAssets(const CompetenciaRow& row, double factor) {
    SqlStatement s(m_session,
                   QStringLiteral("UPDATE CIAPBEM SET VRAPROPARCCIAP = VRPARCELACIAP * ?") +
                       byIdentity + QStringLiteral(" AND VRAPROPARCCIAP <> VRPARCELACIAP * ?"),
                   "recompute assets");
    s.bind(factor).bind(row.company).bind(row.tax).bind(row.sequence).bind(factor).exec();
}

CompetenciaStore::AssetTotals CompetenciaStore::assetTotals(const CompetenciaRow& row) {
    SqlStatement s(
        m_session,
        QStringLiteral("SELECT COALESCE(SUM(CAST(ROUND(VRPARCELACIAP * 100) AS BIGINT)), 0),"
                       " COUNT(*) FROM CIAPBEM") +
            byIdentity,
        "balance");
    s.bind(row.company).bind(row.tax).bind(row.sequence).exec();
    AssetTotals totals;
    if (s.next()) {
        totals.instalmentCents = s.integer(0);
        totals.count = int(s.integer(1));
    }
    return totals;
}

void CompetenciaStore::setFigures(const CompetenciaRow& row, double coefficient, double balance,
                                  double credit, int assetCount) {
    SqlStatement s(m_session,
                   QStringLiteral("UPDATE CIAPCOMPET SET VRCOEFICIAP = ?, VRSALDOPARCCIAP = ?,"
                                  " VRCREDAPROPCIAP = ?, NRQTDBENS = ?") +
                       byIdentity,
                   "recompute competência");
    s.bind(coefficient)
        .bind(balance)
        .bind(credit)
        .bind(assetCount)
        .bind(row.company)
        .bind(row.tax)
        .bind(row.sequence)
        .exec();
}

} // namespace ciap::server
