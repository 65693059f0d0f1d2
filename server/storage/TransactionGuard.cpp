#include "TransactionGuard.h"

#include "Session.h"
#include "StorageError.h"
#include "StorageLog.h"

#include <QSqlError>
#include <QSqlQuery>

namespace ciap::server {

TransactionGuard::TransactionGuard(Session& session)
    : m_session(session) {
    QSqlQuery q(m_session.database());
    if (!q.exec(m_session.config().beginWriteSql()))
        throw StorageError(QStringLiteral("begin"), q.lastError());
    m_generation = m_session.generation();
    m_open = true;
}

TransactionGuard::~TransactionGuard() {
    if (!m_open)
        return;
    QSqlQuery q(m_session.database());
    if (!q.exec(QStringLiteral("ROLLBACK"))) {
        // A connection that cannot roll back is not trusted with the next request.
        qCWarning(lcStorage, "rollback failed %s; connection dropped",
                  qPrintable(StorageError(QStringLiteral("rollback"), q.lastError()).logText()));
        q = QSqlQuery();
        m_session.drop();
    }
}

void TransactionGuard::commit() {
    // A COMMIT on a new connection would succeed on PostgreSQL with nothing to commit.
    if (m_session.generation() != m_generation)
        throw StorageError(QStringLiteral("commit"), QString(),
                           QStringLiteral("connection dropped during the transaction"));
    QSqlQuery q(m_session.database());
    if (!q.exec(QStringLiteral("COMMIT")))
        throw StorageError(QStringLiteral("commit"), q.lastError());
    m_open = false;
}

} // namespace ciap::server
