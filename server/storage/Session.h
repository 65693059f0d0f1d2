#pragma once

#include "DatabaseConfig.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <memory>

namespace ciap::server {

// One database connection and its prepared statements, owned by one thread. Opened on first
// use and opened again after a failure dropped it.
class Session final {
public:
    Session(const DatabaseConfig& config, QString connectionName);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const DatabaseConfig& config() const { return m_config; }
    QSqlDatabase& database();                // throws StorageError when it cannot connect
    QSqlQuery& prepared(const QString& sql); // prepared once per connection
    void drop();                             // forget the connection (after it may have broken)
    // Counts the connections dropped: a transaction begun before a drop is gone with it.
    quint64 generation() const { return m_generation; }

private:
    const DatabaseConfig& m_config;
    QString m_name;
    QSqlDatabase m_db;
    QHash<QString, std::shared_ptr<QSqlQuery>> m_statements;
    quint64 m_generation = 0;
};

} // namespace ciap::server
