#pragma once

#include <QStringList>

namespace ciap::server {

// Schema version 3: the register the tax file is written from, and the documents it is fed by.
class SchemaVersion3 final {
public:
    static QStringList statements();
};

} // namespace ciap::server
