#pragma once

#include "AssetStore.h"
#include "ChartRecords.h"
#include "DocumentStore.h"
#include "PurchaseStore.h"
#include "RegisterRecords.h"

#include <QHash>
#include <optional>

namespace ciap::server {

class Session;

// What the user completes or corrects of an asset; members left empty stay as they are.
struct AssetChanges {
    std::optional<QString> name;
    std::optional<QString> patrimony;
    std::optional<QString> appropriationType; // IDTPAPROPPISCOF, two digits
    std::optional<QDate> entryDate;
    std::optional<int> instalments;
    std::optional<bool> component;
    std::optional<QString> mainAsset;
    std::optional<QString> account;
    std::optional<QString> costCentre;
    std::optional<QString> function;
    std::optional<int> usefulLife;
    std::optional<QString> item;
    std::optional<QString> unit;
    std::optional<QString> origin; // "IM", "MC", "IA", "CI"; empty: what its type says
    // The rate differential paid, which no document carries, and its payment document.
    std::optional<qint64> difalCents;
    std::optional<QString> paymentDocument;
    // Only for an asset whose entry was not imported: its figures and entry document.
    std::optional<qint64> ownCents;
    std::optional<qint64> stCents;
    std::optional<qint64> freightCents;
    std::optional<QString> participant;
    std::optional<QString> documentModel;
    std::optional<QString> documentSeries;
    std::optional<QString> documentNumber;
    std::optional<QString> documentKey;
    std::optional<QDate> documentDate;
    std::optional<int> documentItem;
    std::optional<qint64> quantity; // QuantityScale units
};

struct AssetGaps {
    RegisterAsset asset;
    QStringList missing;
};

// The register's editing as the user does it, for the command line and the server's methods
// alike. Every method expects the caller's TransactionGuard and throws ServiceError with the
// user's text when it refuses.
class RegisterEditing final {
public:
    explicit RegisterEditing(Session& session);

    RegisterAsset change(const QString& company, const QString& code, const AssetChanges& changes);
    // A new asset with a code from the counter: needs name and entry date at least.
    RegisterAsset create(const QString& company, const QString& registration,
                         const AssetChanges& changes);
    // The items of a kept purchase, or all those not yet assets when items is empty.
    QStringList assetsFromPurchase(const QString& company, const QString& key,
                                   const QList<int>& items);

    // kind "V", "P" or "O". documentKey: the outgoing NF-e of the exit, when there is one;
    // item: its item, needed only to settle a waiting exit of an invoice with several.
    // participant: the buyer, for a document typed by its key rather than imported.
    RegisterAsset recordExit(const QString& company, const QString& code, const QDate& date,
                             const QString& kind, const QString& documentKey, int item,
                             const QString& participant = {});
    RegisterAsset clearExit(const QString& company, const QString& code);
    void dismissPendingExit(const QString& company, const QString& key, int item);

    // The company's assets (of one registration, when given) with what each still lacks for
    // the tax file; complete assets are left out unless all is set.
    QList<AssetGaps> gaps(const QString& company, const QString& registration, bool all);
    // The registration's default account and cost centre, which an asset without its own takes.
    EfdSettings defaultsOf(const QString& company, const QString& registration);

private:
    RegisterAsset existing(const QString& company, const QString& code);
    void apply(RegisterAsset& asset, const AssetChanges& changes, bool imported);
    bool importedEntry(const RegisterAsset& asset);

    Session& m_session;
    AssetStore m_assets;
    DocumentStore m_documents;
    PurchaseStore m_purchases;
    QHash<QString, EfdSettings> m_defaults;
};

} // namespace ciap::server
