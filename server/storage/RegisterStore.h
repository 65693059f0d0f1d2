#pragma once

#include "AssetRecord.h"
#include "Month.h"
#include "TaxInfo.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace ciap::server {

class Session;

// Reads the registers the competências are built from: companies, taxes, state registrations,
// assets and outgoing invoices.
class RegisterStore final {
public:
    explicit RegisterStore(Session& session)
        : m_session(session) {}

    std::optional<QString> companyName(const QString& company);
    std::optional<TaxInfo> tax(const QString& code);
    QStringList registrations(const QString& company); // as stored, in order
    std::optional<QString> resolveRegistration(const QString& company, const QString& typed);

    std::optional<AssetRecord> asset(const QString& company, const QString& number);
    // Assets of the establishment that entered by the end of the month and had not left
    // before it; the rules decide which of them have an instalment.
    QList<AssetRecord> assetsInPlay(const QString& company, const QString& registration,
                                    const Month& month);
    // Sums of the month's invoices as stored: the caller rounds them to the cent.
    struct Outgoing {
        double total = 0;
        double taxed = 0;
        int invoices = 0;
    };
    Outgoing outgoing(const QString& company, const QString& registration, const Month& month);

private:
    Session& m_session;
};

} // namespace ciap::server
