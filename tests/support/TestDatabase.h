#pragma once

#include <QString>
#include <QVariantList>
#include <memory>

namespace ciap::server {
class DatabaseConfig;
class Session;
class TransactionGuard;
} // namespace ciap::server

// The database a server test runs against: a fresh SQLite file, or, when the test runs with
// CIAP_TEST_BACKEND=pg, a fresh schema in the PostgreSQL database of CIAP_TEST_PG_URL (dropped
// at the end). reset() empties every table and writes the fixture that the tests' numbers
// come from.
class TestDatabase final {
public:
    TestDatabase();
    ~TestDatabase();

    static bool postgresRequested();
    // False with the reason (e.g. no PostgreSQL configured): the test should skip. Without
    // migrate the location is left for a server to create.
    bool create(QString* skipReason, bool migrate = true);
    QString location() const { return m_location; }
    bool isPostgres() const { return m_postgres; }

    void reset();
    void exec(const QString& sql, const QVariantList& values = {});
    void execUnprepared(const QString& sql); // what cannot be prepared: TRUNCATE, CREATE DATABASE
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    // n assets for company "01", registration "111", entering in January 2024.
    void addManyAssets(int count);
    // Until release: the write lock of SQLite, or the competências' rows on PostgreSQL, so that
    // a server's write waits.
    void holdWriteLock();
    void releaseWriteLock();

private:
    std::unique_ptr<ciap::server::DatabaseConfig> m_config;
    std::unique_ptr<ciap::server::Session> m_session;
    std::unique_ptr<ciap::server::TransactionGuard> m_held;
    QString m_location;
    QString m_schema;
    QString m_file;
    bool m_postgres = false;
};
