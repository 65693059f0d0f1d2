#include "MonthRegisterStore.h"

#include "AssetRows.h"
#include "SqlStatement.h"

namespace ciap::server {

QList<CompetenciaRow> MonthRegisterStore::competencias(const QString& company,
                                                       const QString& registration,
                                                       const Month& month) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT c.CDEMPRESA, c.CDIMPOSTO, c.NRSEQCIAP, c.CDINSCESTA,"
                                  " c.VRSAIDACIAP, c.VRSAIDATRIBCIAP, c.VRCOEFICIAP,"
                                  " c.VRSALDOPARCCIAP, c.VRCREDAPROPCIAP, c.IDSITCOMPETCIAP,"
                                  " c.NRQTDBENS, i.NMIMPOSTO FROM CIAPCOMPET c"
                                  " JOIN IMPOSTO i ON i.CDIMPOSTO = c.CDIMPOSTO"
                                  " WHERE c.CDEMPRESA = ? AND c.CDINSCESTA = ?"
                                  " AND c.DTCOMPETECIAP = ? ORDER BY c.CDIMPOSTO"),
                   "competências of a month");
    s.bind(company).bind(registration).bind(month.firstDay()).exec();
    QList<CompetenciaRow> out;
    while (s.next()) {
        CompetenciaRow r;
        r.company = s.text(0);
        r.tax = s.text(1);
        r.sequence = s.integer(2);
        r.registration = s.text(3);
        r.month = month;
        r.total = s.number(4);
        r.taxed = s.number(5);
        r.coefficient = s.number(6);
        r.balance = s.number(7);
        r.credit = s.number(8);
        r.situation = s.text(9);
        r.assetCount = int(s.integer(10));
        r.taxName = s.text(11);
        out << r;
    }
    return out;
}

QList<MonthAsset> MonthRegisterStore::loadedAssets(const CompetenciaRow& row, Documents documents) {
    const bool dated = documents == Documents::OfTheMonth;
    SqlStatement s(m_session,
                   QStringLiteral("SELECT ") + AssetRows::registerColumns() +
                       QStringLiteral(", CAST(ROUND(b.VRPARCELACIAP * 100) AS BIGINT),"
                                      " CAST(ROUND(b.VRAPROPARCCIAP * 100) AS BIGINT)") +
                       AssetRows::registerFrom(dated) +
                       QStringLiteral(" JOIN CIAPBEM b ON b.CDEMPRESA = a.CDEMPRESA"
                                      " AND b.CDBEMATIVO = a.CDBEMATIVO"
                                      " WHERE b.CDEMPRESA = ? AND b.CDIMPOSTO = ?"
                                      " AND b.NRSEQCIAP = ? ORDER BY a.CDBEMATIVO"),
                   dated ? "month's assets, documents of the month" : "month's assets");
    if (dated) {
        s.bind(row.month.firstDay()).bind(row.month.lastDay());
        s.bind(row.month.firstDay()).bind(row.month.lastDay());
    }
    s.bind(row.company).bind(row.tax).bind(row.sequence).exec();
    QList<MonthAsset> out;
    out.reserve(row.assetCount);
    constexpr int at = AssetRows::RegisterColumnCount;
    while (s.next())
        out << MonthAsset{AssetRows::readRegister(s), s.integer(at), s.integer(at + 1)};
    return out;
}

QList<RegisterAsset> MonthRegisterStore::leavingUnloaded(const CompetenciaRow& row) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT ") + AssetRows::registerColumns() +
                       AssetRows::registerFrom() +
                       QStringLiteral(" WHERE a.CDEMPRESA = ? AND a.CDINSCESTA = ?"
                                      " AND a.DTSAIDA BETWEEN ? AND ? AND NOT EXISTS"
                                      " (SELECT 1 FROM CIAPBEM b WHERE b.CDEMPRESA = ?"
                                      " AND b.CDIMPOSTO = ? AND b.NRSEQCIAP = ?"
                                      " AND b.CDBEMATIVO = a.CDBEMATIVO)"
                                      " ORDER BY a.CDBEMATIVO"),
                   "month's unloaded exits");
    s.bind(row.company)
        .bind(row.registration)
        .bind(row.month.firstDay())
        .bind(row.month.lastDay())
        .bind(row.company)
        .bind(row.tax)
        .bind(row.sequence)
        .exec();
    QList<RegisterAsset> out;
    while (s.next())
        out << AssetRows::readRegister(s);
    return out;
}

} // namespace ciap::server
