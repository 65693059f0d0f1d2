#pragma once

#include "RegisterRecords.h"
#include "TaxInfo.h"

#include <QList>
#include <optional>

namespace ciap::server {

class Session;

// Writes the registers a company starts from: the company, its taxes, its state registrations
// and each state's number of instalments. Each write creates the row or updates it; writes
// expect a TransactionGuard around them.
class RegistryStore final {
public:
    explicit RegistryStore(Session& session)
        : m_session(session) {}

    void putCompany(const QString& code, const QString& name);
    void putTax(const TaxInfo& tax);
    void putRegistration(const Registration& registration);
    // A state's choices (UFCIAP): its number of instalments and whether an asset's instalment
    // counts in the month it leaves; what is not given stays (or takes its default).
    void putState(const QString& uf, std::optional<int> instalments,
                  std::optional<bool> exitMonthCounts);

    // Every registration of every company with its state's number of instalments.
    QList<Registration> registrations();
    std::optional<Registration> registration(const QString& company, const QString& code);

private:
    bool exists(const QString& sql, const QVariantList& key);
    void exec(const QString& sql, const QVariantList& values, const char* label);

    Session& m_session;
};

} // namespace ciap::server
