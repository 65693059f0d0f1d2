#pragma once

#include "DatabaseConfig.h"

namespace ciap::server {

// A PostgreSQL database reached by URL. The optional query item schema=NAME puts every table
// into that schema (created when missing), so that several installations, or test runs, can
// share one database.
class PostgresConfig final : public DatabaseConfig {
public:
    static PostgresConfig fromUrl(const QString& url); // throws ConfigError

    Backend backend() const override { return Backend::Postgres; }
    QSqlDatabase open(const QString& connectionName) const override;
    QString describe() const override;
    QString beginWriteSql() const override { return QStringLiteral("BEGIN"); }
    QString lockClause() const override { return QStringLiteral(" FOR UPDATE"); }
    void prepare(QSqlDatabase& db) const override;

    const QString& schema() const { return m_schema; }

private:
    QString m_host;
    int m_port = 5432;
    QString m_database;
    QString m_user;
    QString m_password;
    QString m_schema;
    QString m_sslMode;
};

} // namespace ciap::server
