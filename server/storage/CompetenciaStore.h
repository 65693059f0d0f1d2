#pragma once

#include "CompetenciaRow.h"
#include "LoadedAsset.h"

#include <QList>
#include <optional>

namespace ciap::server {

class Session;

// The competências, their assets and the sequence that numbers them. Writes expect a
// TransactionGuard around them.
class CompetenciaStore final {
public:
    explicit CompetenciaStore(Session& session)
        : m_session(session) {}

    // lock: read the row to change it (row lock on PostgreSQL; SQLite's write transaction
    // already excludes other writers).
    std::optional<CompetenciaRow> find(const QString& company, const QString& tax, qint64 sequence,
                                       bool lock);
    std::optional<CompetenciaRow> findByKey(const QString& company, const QString& tax,
                                            const QString& registration, const Month& month);
    int countByKey(const QString& company, const QString& tax, const QString& registration,
                   const Month& month);
    QList<CompetenciaRow> list(const QString& company, const QString& tax, const Month& from,
                               const Month& to, const std::optional<QString>& registration);

    qint64 nextSequence(const QString& company, const QString& tax);
    qint64 lastSequence(const QString& company, const QString& tax);

    void insert(const CompetenciaRow& row);
    void updateKeyAndOutgoing(const CompetenciaRow& row); // registration, month, total, taxed
    void setSituation(const CompetenciaRow& row, const QString& situation);
    void remove(const CompetenciaRow& row);

    bool hasAsset(const CompetenciaRow& row, const QString& asset);
    // factor: what share of an instalment may be appropriated.
    void upsertAsset(const CompetenciaRow& row, const QString& asset, qint64 instalmentCents,
                     double factor);
    void removeAsset(const CompetenciaRow& row, const QString& asset);
    void removeAllAssets(const CompetenciaRow& row);
    struct AssetValue {
        QString asset;
        qint64 instalmentCents = 0;
        double appropriated = 0; // VRAPROPARCCIAP
    };
    // Many rows at once (a month's load, its appropriation).
    void insertAssets(const CompetenciaRow& row, const QList<AssetValue>& assets);
    // The loaded assets with what the register says of them now, by asset number.
    QList<LoadedAsset> loadedAssets(const CompetenciaRow& row);

    // The stored figures derived from the assets; the rules that derive them are the caller's.
    // Every asset's value to appropriate becomes its instalment times the factor.
    void scaleAssets(const CompetenciaRow& row, double factor);
    struct AssetTotals {
        qint64 instalmentCents = 0; // each instalment counted to the whole cent
        int count = 0;
    };
    AssetTotals assetTotals(const CompetenciaRow& row);
    void setFigures(const CompetenciaRow& row, double coefficient, double balance, double credit,
                    int assetCount);

private:
    Session& m_session;
};

} // namespace ciap::server
