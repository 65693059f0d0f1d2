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
    // Up to target (every step when negative); throws StorageError.
    static void apply(Session& session, int target = -1);
    static int installedVersion(Session& session);
    // Children before parents, for clearing; not the CFOP table, which the schema seeds.
    static QStringList dataTables();
};

} // namespace ciap::server
