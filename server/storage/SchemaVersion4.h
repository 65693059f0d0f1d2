#pragma once

#include <QStringList>

namespace ciap::server {

// Schema version 4: what the tax file needs that no document carries, set once per
// installation: the chart of accounts' asset accounts, the cost centres, each registration's
// defaults and EFD profile, and how an asset entered the CIAP.
class SchemaVersion4 final {
public:
    static QStringList statements();
};

} // namespace ciap::server
