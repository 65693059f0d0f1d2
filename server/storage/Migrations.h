#pragma once

#include <QStringList>

namespace ciap::server {

class Session;

// Brings the schema to the current version, one numbered step at a time, each in its own
// transaction. Identifiers are unquoted so that other programs' plain SQL ("SELECT CDEMPRESA
// FROM EMPRESA") reads the same tables on SQLite and PostgreSQL.
class Migrations final {
public:
    static int currentVersion();
    static void apply(Session& session); // throws StorageError
    static int installedVersion(Session& session);
    static QStringList dataTables(); // children before parents, for clearing
};

} // namespace ciap::server
