#include "Session.h"

#include "StorageError.h"

#include <QSqlError>

namespace ciap::server {

Session::Session(const DatabaseConfig& config, QString connectionName)
    : m_config(config)
    , m_name(std::move(connectionName)) {}

Session::~Session() {
    drop();
}

QSqlDatabase& Session::database() {
    if (!m_db.isValid() || !m_db.isOpen()) {
        drop();
        try {
            m_db = m_config.open(m_name);
        } catch (const StorageError&) {
            // The failed connection stays registered under our name otherwise, and the next
            // attempt would warn that it replaces it.
            QSqlDatabase::removeDatabase(m_name);
            throw;
        }
    }
    return m_db;
}

QSqlQuery& Session::prepared(const QString& sql) {
    QSqlDatabase& db = database();
    auto it = m_statements.find(sql);
    if (it == m_statements.end()) {
        auto query = std::make_shared<QSqlQuery>(db);
        query->setForwardOnly(true);
        if (!query->prepare(sql))
            throw StorageError(QStringLiteral("prepare"), query->lastError());
        it = m_statements.insert(sql, query);
    }
    return **it;
}

void Session::drop() {
    ++m_generation;
    m_statements.clear();
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
}

} // namespace ciap::server
