#pragma once

#include "ChartRecords.h"

#include <QList>
#include <optional>

namespace ciap::server {

class Session;

// The chart of accounts' asset accounts, the cost centres and each registration's EFD
// settings (CONTACONTABIL, CENTROCUSTO, INSCESTA's defaults). Each put creates the row or
// updates it; writes expect a TransactionGuard around them.
class ChartStore final {
public:
    explicit ChartStore(Session& session)
        : m_session(session) {}

    void putAccount(const AccountRecord& account);
    std::optional<AccountRecord> account(const QString& code);
    QList<AccountRecord> accounts(); // by code

    void putCostCentre(const CostCentreRecord& centre);
    std::optional<CostCentreRecord> costCentre(const QString& code);
    QList<CostCentreRecord> costCentres(); // by code

    // nullopt when the registration does not exist.
    std::optional<EfdSettings> settings(const QString& company, const QString& registration);
    void putSettings(const QString& company, const QString& registration,
                     const EfdSettings& settings);

private:
    Session& m_session;
};

} // namespace ciap::server
