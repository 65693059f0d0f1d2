#pragma once

#include "FixtureCodes.h"

#include <QDate>
#include <QList>
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
// come from: company fixture::Company with registrations "111" (SP), "ABC-9" and
// "O'Brien \"x\"", six assets and the invoices of January and February 2024 (docs/ciap-rules.md,
// worked example); fixture::OtherCompany with its own "111" and "222", assets and invoices.
class TestDatabase final {
public:
    struct Item {
        QString cfop;      // "5101"
        QString situation; // CST or CSOSN
        qint64 cents = 0;
        qint64 icmsCents = 0;
    };
    struct Invoice {
        QString company;
        QString registration;
        QString number;
        QDate issued;
        QList<Item> items;
        bool cancelled = false;
    };

    TestDatabase();
    ~TestDatabase();

    static bool postgresRequested();
    static constexpr int NoSchema = -2; // nothing created: the location is left to a server
    // False with the reason (e.g. no PostgreSQL configured): the test should skip. The schema
    // is brought to version schemaVersion (the current one when -1).
    bool create(QString* skipReason, int schemaVersion = -1);
    void migrate(); // to the current version
    QString location() const { return m_location; }
    bool isPostgres() const { return m_postgres; }

    void reset();
    void exec(const QString& sql, const QVariantList& values = {});
    void execUnprepared(const QString& sql); // what cannot be prepared: TRUNCATE, CREATE DATABASE
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    // Every row of the answer as its values' texts joined by separator (null: empty).
    QStringList rows(const QString& sql, const QVariantList& values = {},
                     QChar separator = QLatin1Char('|'));
    // n assets of fixture::Company, registration "111", entering in January 2024.
    void addManyAssets(int count);
    void addInvoice(const Invoice& invoice);
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
