#pragma once

#include "DatabaseConfig.h"

#include <QList>
#include <QPair>

namespace ciap::server {

// A PostgreSQL database reached by URL. The optional query item schema=NAME puts every table
// into that schema (created when missing), so that several installations, or test runs, can
// share one database. TLS to the database comes from libpq's own names: sslmode (disable ...
// verify-full), and the files sslrootcert (the CA to verify the server with), sslcrl, and
// sslcert/sslkey (a client certificate), e.g. ?sslmode=verify-full&sslrootcert=/etc/ciap/db-ca.pem.
class PostgresConfig final : public DatabaseConfig {
public:
    static PostgresConfig fromUrl(const QString& url); // throws ConfigError

    Backend backend() const override { return Backend::Postgres; }
    QSqlDatabase open(const QString& connectionName) const override;
    QString describe() const override;
    QString beginWriteSql() const override { return QStringLiteral("BEGIN"); }
    QString lockClause() const override { return QStringLiteral(" FOR UPDATE"); }
    void prepare(QSqlDatabase& db) const override;
    QString migrationLockSql() const override;
    QString migrationUnlockSql() const override;

    const QString& schema() const { return m_schema; }
    // What the driver is given besides host, port, database, user and password.
    QString connectOptions() const;

    static constexpr const char* FileOptions[] = {"sslrootcert", "sslcrl", "sslcert", "sslkey"};

private:
    QString m_host;
    int m_port = 5432;
    QString m_database;
    QString m_user;
    QString m_password;
    QString m_schema;
    QString m_sslMode;
    QList<QPair<QString, QString>> m_sslFiles; // libpq option name, file
};

} // namespace ciap::server
