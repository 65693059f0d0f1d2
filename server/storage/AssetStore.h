#pragma once

#include "RegisterRecords.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace ciap::server {

class Session;

// The asset register as the import and the register's editing write it: an asset with what
// the tax file needs of it and its entry and exit documents (BEMATIVO, BEMDOCUMENTO), and the
// counter its codes come from. Writes expect a TransactionGuard around them.
class AssetStore final {
public:
    explicit AssetStore(Session& session)
        : m_session(session) {}

    // The next code of the company's counter: never one in use, never one given before.
    QString nextCode(const QString& company);

    std::optional<RegisterAsset> find(const QString& company, const QString& code);
    // By code; every registration when registration is empty.
    QList<RegisterAsset> list(const QString& company, const QString& registration = {});
    // The assets made of an entry document, or of one of its items, by code.
    QList<RegisterAsset> fromEntryDocument(const QString& company, const QString& key);
    QList<RegisterAsset> fromEntryItem(const QString& company, const QString& key, int item);
    // The assets whose exit an outgoing document recorded.
    QList<RegisterAsset> exitedBy(const QString& key);
    // Assets of the registration still in place (or gone without an exit document) that an
    // outgoing item may name: by patrimony code, or by an entry document's key together with
    // the product code of its item or the asset's own item code.
    QStringList byPatrimony(const QString& company, const QString& registration,
                            const QString& patrimony);
    QStringList byEntryDocument(const QString& company, const QString& registration,
                                const QString& key, const QString& productCode);
    bool inAnyCompetencia(const QString& company, const QString& code);

    void insert(const RegisterAsset& asset);
    // Every field of the register and both documents, as given.
    void update(const RegisterAsset& asset);
    void remove(const QString& company, const QString& code);

private:
    bool exists(const QString& company, const QString& code);
    QList<RegisterAsset> select(const QString& where, const QVariantList& values,
                                const char* label);
    void writeDocuments(const RegisterAsset& asset);

    Session& m_session;
};

} // namespace ciap::server
