#pragma once

#include "RegisterRecords.h"

#include <QDateTime>
#include <QList>
#include <QStringList>
#include <optional>

namespace ciap::server {

class Session;

// The documents the register is fed by: which were imported, their participants, the freight
// the company took, cancellations, outgoing invoices and the exits they leave to settle.
// Writes expect a TransactionGuard around them.
class DocumentStore final {
public:
    enum class Kind { Nfe, Cte, Event };

    explicit DocumentStore(Session& session)
        : m_session(session) {}

    bool imported(const QString& key);
    void remember(const QString& key, Kind kind, const QString& source, const QDateTime& at);

    // Kept unless the stored data comes from a later document.
    void putParticipant(const QString& company, const Participant& participant);
    std::optional<Participant> participant(const QString& company, const QString& id);

    void insertFreight(const Freight& freight);
    std::optional<Freight> freight(const QString& key);
    QStringList freightNaming(const QString& nfeKey); // the CT-e that carried the NF-e

    void insertCancellation(const QString& nfeKey, const QDate& date, const QString& protocol);
    bool cancelled(const QString& nfeKey);

    // The key of the outgoing invoice the registration already has under this number.
    std::optional<QString> outgoingAt(const OutgoingInvoice& invoice);
    void insertOutgoing(const OutgoingInvoice& invoice);
    std::optional<OutgoingInvoice> outgoing(const QString& key); // the header only
    void cancelOutgoing(const QString& key);

    void insertPendingExit(const PendingExit& exit);
    // Every item of the document when item is 0.
    void removePendingExits(const QString& key, int item = 0);
    QList<PendingExit> pendingExits(const QString& company);

private:
    Session& m_session;
};

} // namespace ciap::server
