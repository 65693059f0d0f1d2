#include "SqliteConfig.h"

#include "StorageError.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

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
        // Turning a new file to WAL needs it alone for a moment, and SQLite answers "locked" at
        // once, without the busy timeout, to a second server starting on it at the same time.
        QDeadlineTimer patience(BusyTimeoutMs);
        while (!q.exec(QString::fromLatin1(pragma))) {
            if (q.lastError().nativeErrorCode() != QLatin1String("5") || patience.hasExpired())
                throw StorageError(QStringLiteral("pragma"), q.lastError());
            QThread::msleep(20);
        }
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
