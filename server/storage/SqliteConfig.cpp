#include "SqliteConfig.h"

#include "StorageError.h"

#include <QRegularExpression>
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
    for (const QString& pragma : drillPragmas()) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA ") + pragma))
            throw StorageError(QStringLiteral("drill pragma"), q.lastError());
    }
    return db;
}

QStringList SqliteConfig::drillPragmas() {
    // Fault drills: every connection refuses writes (query_only) or cannot grow the file
    // (max_page_count), as a read-only mount or a full disk would. Only these two, with plain
    // values, so that a drill can never weaken durability.
    static const QRegularExpression allowed(
        QStringLiteral("^(query_only=(ON|OFF|0|1)|max_page_count=\\d{1,10})$"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    const QStringList items =
        qEnvironmentVariable("CIAP_SQLITE_DRILL").split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& item : items) {
        const QString pragma = item.trimmed();
        if (!allowed.match(pragma).hasMatch())
            throw StorageError(QStringLiteral("drill pragma"), QString(),
                               QStringLiteral("not allowed: %1").arg(pragma));
        out.append(pragma);
    }
    return out;
}

} // namespace ciap::server
