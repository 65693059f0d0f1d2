#include "RegistryStore.h"

#include "SqlStatement.h"

namespace ciap::server {

namespace {

QVariant orNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

const QString registrationColumns =
    QStringLiteral("SELECT i.CDEMPRESA, i.CDINSCESTA, i.NRCNPJ, i.SGUF, i.CDMUNICIPIO, u.NRPARCELAS"
                   " FROM INSCESTA i LEFT JOIN UFCIAP u ON u.SGUF = i.SGUF");

Registration readRegistration(const SqlStatement& s) {
    Registration r;
    r.company = s.text(0);
    r.code = s.text(1);
    r.cnpj = s.text(2);
    r.uf = s.text(3);
    r.municipality = s.text(4);
    r.instalments = s.value(5).isNull() ? 48 : int(s.integer(5));
    return r;
}

} // namespace

bool RegistryStore::exists(const QString& sql, const QVariantList& key) {
    SqlStatement s(m_session, sql, "registry lookup");
    for (const QVariant& v : key)
        s.bind(v);
    s.exec();
    return s.next();
}

void RegistryStore::exec(const QString& sql, const QVariantList& values, const char* label) {
    SqlStatement s(m_session, sql, label);
    for (const QVariant& v : values)
        s.bind(v);
    s.exec();
}

void RegistryStore::putCompany(const QString& code, const QString& name) {
    if (exists(QStringLiteral("SELECT 1 FROM EMPRESA WHERE CDEMPRESA = ?"), {code}))
        exec(QStringLiteral("UPDATE EMPRESA SET NMEMPRESA = ? WHERE CDEMPRESA = ?"), {name, code},
             "update company");
    else
        exec(QStringLiteral("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (?, ?)"),
             {code, name}, "insert company");
}

void RegistryStore::putTax(const TaxInfo& tax) {
    if (exists(QStringLiteral("SELECT 1 FROM IMPOSTO WHERE CDIMPOSTO = ?"), {tax.code}))
        exec(QStringLiteral(
                 "UPDATE IMPOSTO SET NMIMPOSTO = ?, CDTIPOIMPOSTO = ? WHERE CDIMPOSTO = ?"),
             {tax.name, tax.kind, tax.code}, "update tax");
    else
        exec(QStringLiteral(
                 "INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, CDTIPOIMPOSTO) VALUES (?, ?, ?)"),
             {tax.code, tax.name, tax.kind}, "insert tax");
}

void RegistryStore::putRegistration(const Registration& r) {
    if (exists(QStringLiteral("SELECT 1 FROM INSCESTA WHERE CDEMPRESA = ? AND CDINSCESTA = ?"),
               {r.company, r.code}))
        exec(QStringLiteral("UPDATE INSCESTA SET NRCNPJ = ?, SGUF = ?, CDMUNICIPIO = ?"
                            " WHERE CDEMPRESA = ? AND CDINSCESTA = ?"),
             {orNull(r.cnpj), orNull(r.uf), orNull(r.municipality), r.company, r.code},
             "update registration");
    else
        exec(QStringLiteral("INSERT INTO INSCESTA (CDEMPRESA, CDINSCESTA, NRCNPJ, SGUF, "
                            "CDMUNICIPIO) VALUES (?, ?, ?, ?, ?)"),
             {r.company, r.code, orNull(r.cnpj), orNull(r.uf), orNull(r.municipality)},
             "insert registration");
}

void RegistryStore::putState(const QString& uf, std::optional<int> instalments,
                             std::optional<bool> exitMonthCounts) {
    if (!exists(QStringLiteral("SELECT 1 FROM UFCIAP WHERE SGUF = ?"), {uf}))
        exec(QStringLiteral("INSERT INTO UFCIAP (SGUF) VALUES (?)"), {uf}, "insert state");
    if (instalments)
        exec(QStringLiteral("UPDATE UFCIAP SET NRPARCELAS = ? WHERE SGUF = ?"), {*instalments, uf},
             "state instalments");
    if (exitMonthCounts)
        exec(QStringLiteral("UPDATE UFCIAP SET IDPARCSAIDA = ? WHERE SGUF = ?"),
             {*exitMonthCounts ? QStringLiteral("S") : QStringLiteral("N"), uf},
             "state exit month");
}

QList<Registration> RegistryStore::registrations() {
    SqlStatement s(m_session, registrationColumns + QStringLiteral(" ORDER BY 1, 2"),
                   "registrations");
    s.exec();
    QList<Registration> out;
    while (s.next())
        out.append(readRegistration(s));
    return out;
}

std::optional<Registration> RegistryStore::registration(const QString& company,
                                                        const QString& code) {
    SqlStatement s(m_session,
                   registrationColumns +
                       QStringLiteral(" WHERE i.CDEMPRESA = ? AND i.CDINSCESTA = ?"),
                   "registration");
    s.bind(company).bind(code).exec();
    if (!s.next())
        return std::nullopt;
    return readRegistration(s);
}

} // namespace ciap::server
