#pragma once

#include "Outgoing.h"

#include <QHash>
#include <QString>

namespace ciap::server {

class Session;

// The tables of the law the figures are read through: the exit CFOPs (national rows, SGUF '',
// and each state's own rows over them) and each state's reading of LC 87/96 art. 20 §5 V. A
// registration's state is INSCESTA.SGUF; without one the national rows and the default apply.
class TaxTablesStore final {
public:
    explicit TaxTablesStore(Session& session)
        : m_session(session) {}

    // The registration's state (UF), empty when not recorded.
    QString state(const QString& company, const QString& registration);
    // Counts unless the registration's state says otherwise (UFCIAP.IDPARCSAIDA 'N').
    ExitMonthInstalment exitMonthInstalment(const QString& company, const QString& registration);
    // Every exit CFOP as the state reads it, by its four digits.
    QHash<QString, CfopTreatment> cfops(const QString& state);

private:
    Session& m_session;
};

} // namespace ciap::server
