#pragma once

#include "AssetStore.h"
#include "ChartStore.h"
#include "DocumentStore.h"
#include "PurchaseStore.h"

#include <QHash>
#include <QVariantList>
#include <optional>

namespace ciap::server {

class Session;

// The register's rows as listAssets answers them (RegisterPackets::assets): each asset with
// its four parts, its instalment, its documents and what it still lacks for the tax file. The
// same rows are what saveAssets compares a client's old values with.
class AssetRegisterRows final {
public:
    explicit AssetRegisterRows(Session& session);

    // By code; every registration of the company when registration is empty.
    QList<QVariantList> list(const QString& company, const QString& registration);
    // The asset's row as stored now; nullopt when it is gone.
    std::optional<QVariantList> current(const QString& company, const QString& code);

    // Fields the rows derive from others or from other tables: never compared, never edited.
    static bool derived(const QString& field);

private:
    QVariantList row(const RegisterAsset& asset);
    std::optional<Purchase> purchaseOf(const QString& key);
    QString participantName(const QString& company, const QString& id);
    EfdSettings defaultsOf(const QString& company, const QString& registration);

    AssetStore m_assets;
    DocumentStore m_documents;
    PurchaseStore m_purchases;
    ChartStore m_chart;
    QHash<QString, EfdSettings> m_defaults; // by company and registration
    // The assets of an item share their entry document and its participant.
    QHash<QString, std::optional<Purchase>> m_purchaseCache;
    QHash<QString, QString> m_names;
};

} // namespace ciap::server
