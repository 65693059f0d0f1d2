#include "TaxTablesStore.h"

#include "SqlStatement.h"

namespace ciap::server {

QString TaxTablesStore::state(const QString& company, const QString& registration) {
    SqlStatement s(
        m_session,
        QStringLiteral("SELECT SGUF FROM INSCESTA WHERE CDEMPRESA = ? AND CDINSCESTA = ?"),
        "registration state");
    s.bind(company).bind(registration).exec();
    return s.next() ? s.text(0) : QString();
}

ExitMonthInstalment TaxTablesStore::exitMonthInstalment(const QString& company,
                                                        const QString& registration) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT u.IDPARCSAIDA FROM INSCESTA i JOIN UFCIAP u"
                                  " ON u.SGUF = i.SGUF WHERE i.CDEMPRESA = ? AND i.CDINSCESTA = ?"),
                   "exit month instalment");
    s.bind(company).bind(registration).exec();
    return s.next() && s.text(0) == QLatin1String("N") ? ExitMonthInstalment::DoesNotCount
                                                       : ExitMonthInstalment::Counts;
}

QHash<QString, CfopTreatment> TaxTablesStore::cfops(const QString& state) {
    // The national rows first: the state's own rows replace them.
    SqlStatement s(m_session,
                   QStringLiteral("SELECT CDCFOP, IDCONTATOTAL, IDCONTATRIBUTADA FROM CFOPSAIDA"
                                  " WHERE SGUF = '' OR SGUF = ? ORDER BY SGUF"),
                   "exit CFOPs");
    s.bind(state).exec();
    QHash<QString, CfopTreatment> out;
    while (s.next())
        out.insert(s.text(0),
                   CfopTreatment{s.text(1) == QLatin1String("S"), s.text(2) == QLatin1String("S")});
    return out;
}

} // namespace ciap::server
