#include "RegisterStore.h"

#include "Keys.h"
#include "SqlStatement.h"

namespace ciap::server {

namespace {

const QString assetColumns = QStringLiteral(
    "CDBEMATIVO, NMBEMATIVO, CDPATRIBEMATIVO, CDINSCESTA, DTENTRADA, VRICMSPROPRIO, VRICMSST,"
    " VRICMSFRETE, VRICMSDIFAL, NRPARCELAS, IDTPAPROPPISCOF, DTSAIDA, IDTPSAIDA");

AssetRecord readAsset(const SqlStatement& s) {
    AssetRecord a;
    a.number = s.text(0);
    a.name = s.text(1);
    a.patrimony = s.text(2);
    a.registration = s.text(3);
    a.entry = s.date(4);
    a.ownIcms = s.number(5);
    a.stIcms = s.number(6);
    a.freightIcms = s.number(7);
    a.difalIcms = s.number(8);
    a.instalments = int(s.integer(9));
    a.appropriationType = s.text(10);
    a.exitDate = s.date(11);
    a.exitKind = s.text(12);
    return a;
}

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
                       QStringLiteral(" FROM BEMATIVO WHERE CDEMPRESA = ? AND CDBEMATIVO = ?"),
                   "asset");
    s.bind(company).bind(number).exec();
    if (!s.next())
        return std::nullopt;
    return readAsset(s);
}

QList<AssetRecord> RegisterStore::assetsInPlay(const QString& company, const QString& registration,
                                               const Month& month) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT ") + assetColumns +
                       QStringLiteral(" FROM BEMATIVO WHERE CDEMPRESA = ? AND CDINSCESTA = ?"
                                      " AND DTENTRADA <= ? AND (DTSAIDA IS NULL OR DTSAIDA >= ?)"
                                      " ORDER BY CDBEMATIVO"),
                   "assets in play");
    s.bind(company).bind(registration).bind(month.lastDay()).bind(month.firstDay()).exec();
    QList<AssetRecord> out;
    while (s.next())
        out.append(readAsset(s));
    return out;
}

RegisterStore::Outgoing RegisterStore::outgoing(const QString& company, const QString& registration,
                                                const Month& month) {
    SqlStatement s(
        m_session,
        QStringLiteral("SELECT COALESCE(SUM(VRTOTALNF), 0), COALESCE(SUM(VRTRIBNF), 0), COUNT(*)"
                       " FROM NFSAIDA WHERE CDEMPRESA = ? AND CDINSCESTA = ?"
                       " AND DTEMISSAONF BETWEEN ? AND ?"),
        "outgoing");
    s.bind(company).bind(registration).bind(month.firstDay()).bind(month.lastDay()).exec();
    Outgoing o;
    if (s.next()) {
        o.total = s.number(0);
        o.taxed = s.number(1);
        o.invoices = int(s.integer(2));
    }
    return o;
}

} // namespace ciap::server
