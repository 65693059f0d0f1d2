#include "ChartStore.h"

#include "ColumnValues.h"
#include "SqlStatement.h"

namespace ciap::server {

namespace {

const QString accountColumns = QStringLiteral(
    "SELECT CDCONTA, NMCONTA, CDNATUREZA, IDTPCONTA, NRNIVEL, DTALTERACAO FROM CONTACONTABIL");

AccountRecord readAccount(const SqlStatement& s) {
    AccountRecord a;
    a.code = s.text(0);
    a.name = s.text(1);
    a.nature = s.text(2);
    a.synthetic = s.text(3) == QLatin1String("S");
    a.level = int(s.integer(4));
    a.changed = s.date(5);
    return a;
}

const QString centreColumns =
    QStringLiteral("SELECT CDCCUSTO, NMCCUSTO, DTALTERACAO FROM CENTROCUSTO");

CostCentreRecord readCentre(const SqlStatement& s) {
    return {s.text(0), s.text(1), s.date(2)};
}

} // namespace

void ChartStore::putAccount(const AccountRecord& a) {
    const QVariantList values{
        a.name,  a.nature,  a.synthetic ? QStringLiteral("S") : QStringLiteral("A"),
        a.level, a.changed, a.code};
    SqlStatement update(
        m_session,
        QStringLiteral("UPDATE CONTACONTABIL SET NMCONTA = ?, CDNATUREZA = ?,"
                       " IDTPCONTA = ?, NRNIVEL = ?, DTALTERACAO = ? WHERE CDCONTA = ?"),
        "update account");
    for (const QVariant& v : values)
        update.bind(v);
    update.exec();
    if (update.rowsAffected() > 0)
        return;
    SqlStatement insert(m_session,
                        QStringLiteral("INSERT INTO CONTACONTABIL (NMCONTA, CDNATUREZA, IDTPCONTA,"
                                       " NRNIVEL, DTALTERACAO, CDCONTA) VALUES (?, ?, ?, ?, ?, ?)"),
                        "insert account");
    for (const QVariant& v : values)
        insert.bind(v);
    insert.exec();
}

std::optional<AccountRecord> ChartStore::account(const QString& code) {
    SqlStatement s(m_session, accountColumns + QStringLiteral(" WHERE CDCONTA = ?"), "account");
    s.bind(code).exec();
    if (!s.next())
        return std::nullopt;
    return readAccount(s);
}

QList<AccountRecord> ChartStore::accounts() {
    SqlStatement s(m_session, accountColumns + QStringLiteral(" ORDER BY CDCONTA"), "accounts");
    s.exec();
    QList<AccountRecord> out;
    while (s.next())
        out << readAccount(s);
    return out;
}

void ChartStore::putCostCentre(const CostCentreRecord& c) {
    SqlStatement update(m_session,
                        QStringLiteral("UPDATE CENTROCUSTO SET NMCCUSTO = ?, DTALTERACAO = ?"
                                       " WHERE CDCCUSTO = ?"),
                        "update cost centre");
    update.bind(c.name).bind(c.changed).bind(c.code).exec();
    if (update.rowsAffected() > 0)
        return;
    SqlStatement(m_session,
                 QStringLiteral("INSERT INTO CENTROCUSTO (NMCCUSTO, DTALTERACAO, CDCCUSTO)"
                                " VALUES (?, ?, ?)"),
                 "insert cost centre")
        .bind(c.name)
        .bind(c.changed)
        .bind(c.code)
        .exec();
}

std::optional<CostCentreRecord> ChartStore::costCentre(const QString& code) {
    SqlStatement s(m_session, centreColumns + QStringLiteral(" WHERE CDCCUSTO = ?"), "cost centre");
    s.bind(code).exec();
    if (!s.next())
        return std::nullopt;
    return readCentre(s);
}

QList<CostCentreRecord> ChartStore::costCentres() {
    SqlStatement s(m_session, centreColumns + QStringLiteral(" ORDER BY CDCCUSTO"), "cost centres");
    s.exec();
    QList<CostCentreRecord> out;
    while (s.next())
        out << readCentre(s);
    return out;
}

std::optional<EfdSettings> ChartStore::settings(const QString& company,
                                                const QString& registration) {
    SqlStatement s(
        m_session,
        QStringLiteral("SELECT CDCONTAPADRAO, CDCCUSTOPADRAO, IDPERFILEFD, IDATIVIDADEEFD"
                       " FROM INSCESTA WHERE CDEMPRESA = ? AND CDINSCESTA = ?"),
        "registration settings");
    s.bind(company).bind(registration).exec();
    if (!s.next())
        return std::nullopt;
    EfdSettings e;
    e.account = s.text(0);
    e.costCentre = s.text(1);
    e.profile = s.text(2);
    e.industrial = s.text(3) == QLatin1String("0");
    return e;
}

void ChartStore::putSettings(const QString& company, const QString& registration,
                             const EfdSettings& e) {
    SqlStatement(m_session,
                 QStringLiteral("UPDATE INSCESTA SET CDCONTAPADRAO = ?, CDCCUSTOPADRAO = ?,"
                                " IDPERFILEFD = ?, IDATIVIDADEEFD = ? WHERE CDEMPRESA = ?"
                                " AND CDINSCESTA = ?"),
                 "registration settings")
        .bind(fitted(e.account, 60))
        .bind(fitted(e.costCentre, 60))
        .bind(e.profile)
        .bind(e.industrial ? QStringLiteral("0") : QStringLiteral("1"))
        .bind(company)
        .bind(registration)
        .exec();
}

} // namespace ciap::server
