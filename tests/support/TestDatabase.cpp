#include "TestDatabase.h"

#include "DatabaseConfig.h"
#include "Migrations.h"
#include "Session.h"
#include "SqlStatement.h"
#include "StorageError.h"
#include "TransactionGuard.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

using namespace ciap::server;

TestDatabase::TestDatabase() = default;

TestDatabase::~TestDatabase() {
    m_held.reset();
    if (m_postgres && m_session && !m_schema.isEmpty()) {
        // DDL cannot be a prepared statement on PostgreSQL.
        QSqlQuery q(m_session->database());
        if (!q.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(m_schema)))
            qWarning("could not drop test schema %s: %s", qPrintable(m_schema),
                     qPrintable(q.lastError().text()));
    }
    m_session.reset();
    if (!m_file.isEmpty()) {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(m_file + QLatin1String(suffix));
    }
}

bool TestDatabase::postgresRequested() {
    return qEnvironmentVariable("CIAP_TEST_BACKEND") == QLatin1String("pg");
}

bool TestDatabase::create(QString* skipReason, bool migrate) {
    m_postgres = postgresRequested();
    if (m_postgres) {
        const QString base = qEnvironmentVariable("CIAP_TEST_PG_URL");
        if (base.isEmpty()) {
            *skipReason = QStringLiteral("CIAP_TEST_PG_URL is not set: PostgreSQL tests skipped");
            return false;
        }
        m_schema = QStringLiteral("t_%1").arg(QUuid::createUuid().toString(QUuid::Id128).left(16));
        m_location = base +
                     (base.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) +
                     QStringLiteral("schema=") + m_schema;
    } else {
        m_file =
            QDir::temp().filePath(QStringLiteral("ciap-test-%1.db")
                                      .arg(QUuid::createUuid().toString(QUuid::Id128).left(16)));
        m_location = m_file;
    }
    m_config = DatabaseConfig::fromLocation(m_location);
    m_session = std::make_unique<Session>(*m_config,
                                          QStringLiteral("test-fixture-%1").arg(m_schema + m_file));
    if (migrate)
        Migrations::apply(*m_session);
    return true;
}

void TestDatabase::exec(const QString& sql, const QVariantList& values) {
    SqlStatement s(*m_session, sql, "test", SqlStatement::Cache::No);
    for (const QVariant& v : values)
        s.bind(v);
    s.exec();
}

void TestDatabase::execUnprepared(const QString& sql) {
    QSqlQuery q(m_session->database());
    if (!q.exec(sql))
        throw StorageError(QStringLiteral("test"), q.lastError());
}

QVariant TestDatabase::scalar(const QString& sql, const QVariantList& values) {
    SqlStatement s(*m_session, sql, "test", SqlStatement::Cache::No);
    for (const QVariant& v : values)
        s.bind(v);
    s.exec();
    return s.next() ? s.value(0) : QVariant();
}

void TestDatabase::reset() {
    TransactionGuard tx(*m_session);
    // On PostgreSQL, deleting many assets checks every one against the dead rows of CIAPBEM
    // (its key to them has no index of its own): minutes after a large load. One TRUNCATE of
    // all the tables together needs no such check.
    if (m_postgres) {
        execUnprepared(QStringLiteral("TRUNCATE %1").arg(Migrations::dataTables().join(u',')));
    } else {
        for (const QString& table : Migrations::dataTables())
            exec(QStringLiteral("DELETE FROM %1").arg(table));
    }
    exec(QStringLiteral(
        "INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES ('01', 'EMPRESA TESTE LTDA'), "
        "('02', 'OUTRA EMPRESA SA')"));
    exec(QStringLiteral(
        "INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, CDTIPOIMPOSTO) VALUES "
        "('01', 'ICMS', '01'), ('02', 'ICMS INTEGRAL', '50'), ('03', 'ICMS ST', '60')"));
    exec(QStringLiteral("INSERT INTO INSCESTA (CDEMPRESA, CDINSCESTA) VALUES ('01', '111'), "
                        "('01', 'ABC-9'), ('01', 'O''Brien \"x\"'), ('02', '222')"));
    const QString asset = QStringLiteral("INSERT INTO BEMATIVO (CDEMPRESA, CDBEMATIVO, NMBEMATIVO, "
                                         "CDPATRIBEMATIVO, CDINSCESTA, DTENTRADA,"
                                         " VRICMSPROPRIO, VRICMSST, VRICMSFRETE, VRICMSDIFAL, "
                                         "NRPARCELAS, IDTPAPROPPISCOF, DTSAIDA, IDTPSAIDA)"
                                         " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const QVariant none;
    // January 2024, registration 111: 100.00 (1st) + 20.83 (48th) + 50.00 (sold that month)
    // + 25.00 (four parts) = 195.83.
    exec(asset, {"01", "0000000001", "Empilhadeira", "PAT-1", "111", QDate(2024, 1, 10), 4800.0,
                 0.0, 0.0, 0.0, 48, "01", none, none});
    exec(asset, {"01", "0000000002", "Torno", "PAT-2", "111", QDate(2020, 2, 5), 1000.0, 0.0, 0.0,
                 0.0, 48, "01", none, none});
    exec(asset, {"01", "0000000003", "Caminhão", "PAT-3", "111", QDate(2023, 6, 1), 2400.0, 0.0,
                 0.0, 0.0, 48, "01", QDate(2024, 1, 20), "V"});
    exec(asset, {"01", "0000000004", "Ponte rolante", "PAT-4", "111", QDate(2023, 12, 15), 1000.0,
                 100.0, 50.5, 49.5, 48, "09", none, none});
    exec(asset, {"01", "0000000005", "Balança", "PAT-5", "ABC-9", QDate(2023, 1, 1), 480.0, 0.0,
                 0.0, 0.0, 48, "01", none, none});
    exec(asset, {"01", "0000000006", "Máquina 'X' \"Y\"; DROP TABLE EMPRESA; --", "PAT-'6'", "111",
                 QDate(2024, 3, 1), 960.0, 0.0, 0.0, 0.0, 48, "01", none, none});
    const QString invoice = QStringLiteral(
        "INSERT INTO NFSAIDA (CDEMPRESA, CDINSCESTA, NRNFSAIDA, DTEMISSAONF, VRTOTALNF, VRTRIBNF)"
        " VALUES (?, ?, ?, ?, ?, ?)");
    exec(invoice, {"01", "111", "1", QDate(2024, 1, 3), 1000.0, 800.0});
    exec(invoice, {"01", "111", "2", QDate(2024, 1, 31), 500.0, 100.0});
    exec(invoice, {"01", "111", "3", QDate(2024, 2, 1), 0.0, 0.0});
    exec(invoice, {"01", "ABC-9", "4", QDate(2024, 1, 15), 300.0, 300.0});
    tx.commit();
}

void TestDatabase::addManyAssets(int count) {
    TransactionGuard tx(*m_session);
    constexpr int Batch = 200;
    for (int start = 0; start < count; start += Batch) {
        const int rows = std::min(Batch, count - start);
        QString sql = QStringLiteral(
            "INSERT INTO BEMATIVO (CDEMPRESA, CDBEMATIVO, NMBEMATIVO, CDPATRIBEMATIVO,"
            " CDINSCESTA, DTENTRADA, VRICMSPROPRIO) VALUES ");
        QVariantList values;
        for (int i = 0; i < rows; ++i) {
            sql += i ? QStringLiteral(", (?, ?, ?, ?, ?, ?, ?)")
                     : QStringLiteral("(?, ?, ?, ?, ?, ?, ?)");
            const int n = 1000000 + start + i;
            values << QStringLiteral("01") << QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0'))
                   << QStringLiteral("Bem em massa %1").arg(n) << QStringLiteral("PAT-%1").arg(n)
                   << QStringLiteral("111") << QDate(2024, 1, 1) << 480.0 + (n % 100);
        }
        exec(sql, values);
    }
    tx.commit();
}

void TestDatabase::holdWriteLock() {
    m_held = std::make_unique<TransactionGuard>(*m_session);
    if (m_postgres)
        exec(QStringLiteral("SELECT 1 FROM CIAPCOMPET FOR UPDATE"));
}

void TestDatabase::releaseWriteLock() {
    m_held.reset();
}
