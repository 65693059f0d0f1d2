#include "Savepoint.h"

#include "Session.h"
#include "StorageError.h"
#include "StorageLog.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ciap::server {

namespace {

const QString name = QStringLiteral("ciap_unit");

} // namespace

Savepoint::Savepoint(Session& session)
    : m_session(session) {
    QSqlQuery q(m_session.database());
    if (!q.exec(QStringLiteral("SAVEPOINT ") + name))
        throw StorageError(QStringLiteral("savepoint"), q.lastError());
    m_open = true;
}

Savepoint::~Savepoint() {
    if (!m_open)
        return;
    QSqlQuery q(m_session.database());
    // Rolling back to a savepoint keeps it; releasing it afterwards leaves no trace of it.
    if (!q.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + name) ||
        !q.exec(QStringLiteral("RELEASE SAVEPOINT ") + name)) {
        // The transaction around it can no longer be trusted: dropping the connection rolls
        // it back, and its guard refuses to commit.
        qCWarning(lcStorage, "rollback to savepoint failed (code %s); connection dropped",
                  qPrintable(q.lastError().nativeErrorCode()));
        q = QSqlQuery();
        m_session.drop();
    }
}

void Savepoint::release() {
    QSqlQuery q(m_session.database());
    if (!q.exec(QStringLiteral("RELEASE SAVEPOINT ") + name))
        throw StorageError(QStringLiteral("release savepoint"), q.lastError());
    m_open = false;
}

} // namespace ciap::server
