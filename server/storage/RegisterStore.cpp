#include "RegisterStore.h"

#include "AssetRows.h"
#include "Keys.h"
#include "SqlStatement.h"

namespace ciap::server {

namespace {

const QString assetColumns = AssetRows::columns(QStringLiteral("a"));

} // namespace

std::optional<QString> RegisterStore::companyName(const QString& company) {
    SqlStatement s(m_session, QStringLiteral("SELECT NMEMPRESA FROM EMPRESA WHERE CDEMPRESA = ?"),
                   "company");
    s.bind(company).exec();
    if (!s.next())
        return std::nullopt;
    return s.text(0);
}

std::optional<TaxInfo> RegisterStore::tax(const QString& code) {
    SqlStatement s(
        m_session,
        QStringLiteral(
            "SELECT CDIMPOSTO, NMIMPOSTO, CDTIPOIMPOSTO FROM IMPOSTO WHERE CDIMPOSTO = ?"),
        "tax");
    s.bind(code).exec();
    if (!s.next())
        return std::nullopt;
    return TaxInfo{s.text(0), s.text(1), s.text(2)};
}

QStringList RegisterStore::registrations(const QString& company) {
    SqlStatement s(
        m_session,
        QStringLiteral("SELECT CDINSCESTA FROM INSCESTA WHERE CDEMPRESA = ? ORDER BY CDINSCESTA"),
        "registrations");
    s.bind(company).exec();
    QStringList out;
    while (s.next())
        out << s.text(0);
    return out;
}

std::optional<QString> RegisterStore::resolveRegistration(const QString& company,
                                                          const QString& typed) {
    return Keys::matchRegistration(registrations(company), typed);
}

std::optional<AssetRecord> RegisterStore::asset(const QString& company, const QString& number) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT ") + assetColumns +
                       QStringLiteral(" FROM BEMATIVO a WHERE CDEMPRESA = ? AND CDBEMATIVO = ?"),
                   "asset");
    s.bind(company).bind(number).exec();
    if (!s.next())
        return std::nullopt;
    return AssetRows::read(s);
}

QList<AssetRecord> RegisterStore::assetsInPlay(const QString& company, const QString& registration,
                                               const Month& month) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT ") + assetColumns +
                       QStringLiteral(" FROM BEMATIVO a WHERE CDEMPRESA = ? AND CDINSCESTA = ?"
                                      " AND DTENTRADA <= ? AND (DTSAIDA IS NULL OR DTSAIDA >= ?)"
                                      " ORDER BY CDBEMATIVO"),
                   "assets in play");
    s.bind(company).bind(registration).bind(month.lastDay()).bind(month.firstDay()).exec();
    QList<AssetRecord> out;
    while (s.next())
        out.append(AssetRows::read(s));
    return out;
}

QList<OutgoingGroup> RegisterStore::outgoing(const QString& company, const QString& registration,
                                             const Month& month) {
    const QString states = QStringLiteral("CASE WHEN i.VRICMSCENT > 0 THEN 1 ELSE 0 END");
    SqlStatement s(
        m_session,
        QStringLiteral(
            "SELECT i.CDCFOP, i.CDSITTRIB, %1, CAST(SUM(i.VRCONTABILCENT) AS BIGINT),"
            " MIN(n.NRNFSAIDA) FROM NFSAIDA n JOIN NFSAIDAITEM i"
            " ON i.CDEMPRESA = n.CDEMPRESA AND i.CDINSCESTA = n.CDINSCESTA"
            " AND i.CDMODELO = n.CDMODELO AND i.NRSERIE = n.NRSERIE"
            " AND i.NRNFSAIDA = n.NRNFSAIDA"
            " WHERE n.CDEMPRESA = ? AND n.CDINSCESTA = ? AND n.DTEMISSAONF BETWEEN ? AND ?"
            " AND n.IDCANCELADA = 'N'"
            " GROUP BY i.CDCFOP, i.CDSITTRIB, %1 ORDER BY i.CDCFOP, i.CDSITTRIB")
            .arg(states),
        "outgoing");
    s.bind(company).bind(registration).bind(month.firstDay()).bind(month.lastDay()).exec();
    QList<OutgoingGroup> out;
    while (s.next())
        out.append(OutgoingGroup{s.text(0).trimmed(), s.text(1).trimmed(), s.integer(2) != 0,
                                 s.integer(3), s.text(4)});
    return out;
}

} // namespace ciap::server
