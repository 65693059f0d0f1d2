#pragma once

#include "AssetRecord.h"
#include "Month.h"
#include "Outgoing.h"
#include "TaxInfo.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace ciap::server {

class Session;

// Reads the registers the competências are built from: companies, taxes, state registrations,
// assets and outgoing invoices (a header, NFSAIDA, and its items, NFSAIDAITEM).
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
    // The items of the month's outgoing invoices (by issue date), cancelled invoices left out,
    // summed by CFOP and ICMS situation; the rules decide what counts.
    QList<OutgoingGroup> outgoing(const QString& company, const QString& registration,
                                  const Month& month);

private:
    Session& m_session;
};

} // namespace ciap::server
