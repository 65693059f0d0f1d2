#pragma once

#include "AssetStore.h"
#include "DocumentReader.h"
#include "DocumentStore.h"
#include "ImportTypes.h"
#include "PurchaseStore.h"
#include "RegistrationIndex.h"

#include <QDateTime>
#include <QHash>

namespace ciap::server {

class Session;

// Brings one read document into the register: finds the registration it belongs to and
// writes what it means there. Knows nothing of files, threads or transactions: the caller
// runs it inside a unit that is kept whole or not at all (ImportEngine: a savepoint per file).
class DocumentImporter final {
public:
    enum class Result { Imported, Duplicate };

    // The registrations are read once, here.
    DocumentImporter(Session& session, ImportOptions options);

    // Throws ServiceError with the user's text when the document is refused, StorageError when
    // the database fails. `source` names the file in the register of imported documents.
    Result import(const documents::FiscalDocument& document, const QString& source);

private:
    Result importNfe(const documents::NfeDocument& nfe, const QString& source);
    Result importCte(const documents::CteDocument& cte, const QString& source);
    Result importCancellation(const documents::NfeCancellation& event, const QString& source);

    // Zero or one registration of the party; refuses when the party matches several.
    std::optional<Registration> registrationOf(const documents::Party& party) const;
    void purchase(const documents::NfeDocument& nfe, const Registration& registration, bool own,
                  bool cancelled);
    void outgoing(const documents::NfeDocument& nfe, const Registration& registration,
                  bool cancelled);
    QString participant(const QString& company, const documents::Party& party, const QDate& asOf);

    Session& m_session;
    ImportOptions m_options;
    DocumentStore m_documents;
    PurchaseStore m_purchases;
    AssetStore m_assets;
    RegistrationIndex m_registrations;
    QDateTime m_now;
    QHash<QString, QDate> m_participants; // written in this run, and from which date
};

} // namespace ciap::server
