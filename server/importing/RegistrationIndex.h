#pragma once

#include "RegisterRecords.h"

#include <QHash>
#include <QList>
#include <optional>

namespace ciap::server {

// The registrations a document may belong to, read once: a party of a document is matched by
// its CNPJ and its state registration.
class RegistrationIndex final {
public:
    explicit RegistrationIndex(const QList<Registration>& registrations);

    // The registrations with this CNPJ and state registration (written with or without dots,
    // dashes or leading zeros).
    QList<Registration> match(const QString& cnpj, const QString& ie) const;
    std::optional<Registration> find(const QString& company, const QString& code) const;
    bool hasCnpj(const QString& cnpj) const;

    static QString normalisedIe(const QString& ie);

private:
    QList<Registration> m_all;
    QMultiHash<QString, int> m_byCnpjIe;
};

} // namespace ciap::server
