#include "ReadSnapshot.h"

#include "DatabaseConfig.h"
#include "Session.h"
#include "StorageError.h"
#include "StorageLog.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ciap::server {

ReadSnapshot::ReadSnapshot(Session& session)
    : m_session(session) {
    // SQLite's deferred transaction reads one snapshot from its first read on (WAL).
    const QString begin = session.config().backend() == DatabaseConfig::Backend::Postgres
                              ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                              : QStringLiteral("BEGIN");
    QSqlQuery q(m_session.database());
    if (!q.exec(begin))
        throw StorageError(QStringLiteral("begin read"), q.lastError());
}

ReadSnapshot::~ReadSnapshot() {
    QSqlQuery q(m_session.database());
    if (!q.exec(QStringLiteral("ROLLBACK"))) {
        qCWarning(lcStorage, "rollback of a read failed %s; connection dropped",
                  qPrintable(StorageError(QStringLiteral("rollback"), q.lastError()).logText()));
        q = QSqlQuery();
        m_session.drop();
    }
}

} // namespace ciap::server
