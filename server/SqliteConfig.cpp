#include "SqliteConfig.h"

#include "StorageError.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ciap::server {

QSqlDatabase SqliteConfig::open(const QString& connectionName) const {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(m_path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!db.open())
        throw StorageError(QStringLiteral("open"), db.lastError());
    // WAL keeps every commit atomic across a killed process; synchronous=NORMAL gives up only
    // the last commits on a power failure, never consistency.
    const char* pragmas[] = {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL",
                             "PRAGMA foreign_keys=ON"};
    for (const char* pragma : pragmas) {
        QSqlQuery q(db);
        if (!q.exec(QString::fromLatin1(pragma)))
            throw StorageError(QStringLiteral("pragma"), q.lastError());
    }
    return db;
}

} // namespace ciap::server
