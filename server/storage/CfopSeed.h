#pragma once

#include <QStringList>

namespace ciap::server {

// The national rows of the exit CFOP table as schema version 2 seeds them.
class CfopSeed final {
public:
    static QStringList statements();
};

} // namespace ciap::server
