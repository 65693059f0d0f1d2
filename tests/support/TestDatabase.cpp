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

bool TestDatabase::create(QString* skipReason, int schemaVersion) {
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
    if (schemaVersion != NoSchema)
        Migrations::apply(*m_session, schemaVersion);
    return true;
}

void TestDatabase::migrate() {
    Migrations::apply(*m_session);
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

QStringList TestDatabase::rows(const QString& sql, const QVariantList& values, QChar separator) {
    SqlStatement s(*m_session, sql, "test", SqlStatement::Cache::No);
    for (const QVariant& v : values)
        s.bind(v);
    s.exec();
    QStringList out;
    while (s.next()) {
        QStringList row;
        for (int i = 0; i < s.columnCount(); ++i)
            row << (s.value(i).isNull() ? QString() : s.value(i).toString());
        out << row.join(separator);
    }
    return out;
}

void TestDatabase::reset() {
    using namespace fixture;
    // A schema stopped at an earlier version lacks the later tables. Asked outside the
    // transaction: on PostgreSQL a failed statement would end it.
    QStringList tables;
    for (const QString& table : Migrations::dataTables()) {
        QSqlQuery probe(m_session->database());
        if (probe.exec(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE 1 = 0").arg(table)))
            tables << table;
    }
    TransactionGuard tx(*m_session);
    // On PostgreSQL, deleting many assets checks every one against the dead rows of CIAPBEM
    // (its key to them has no index of its own): minutes after a large load. One TRUNCATE of
    // all the tables together needs no such check.
    if (m_postgres) {
        execUnprepared(QStringLiteral("TRUNCATE %1").arg(tables.join(u',')));
    } else {
        for (const QString& table : std::as_const(tables))
            exec(QStringLiteral("DELETE FROM %1").arg(table));
    }
    exec(QStringLiteral("DELETE FROM CFOPSAIDA WHERE SGUF <> ''"));
    exec(QStringLiteral("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (?, ?), (?, ?)"),
         {Company, CompanyName, OtherCompany, OtherCompanyName});
    exec(QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, CDTIPOIMPOSTO) VALUES "
                        "(?, 'ICMS', '01'), (?, 'ICMS INTEGRAL', '50'), (?, 'ICMS ST', '60')"),
         {Tax, WholeTax, StTax});
    exec(
        QStringLiteral("INSERT INTO INSCESTA (CDEMPRESA, CDINSCESTA, SGUF) VALUES (?, '111', 'SP'),"
                       " (?, 'ABC-9', 'MG'), (?, 'O''Brien \"x\"', NULL), (?, '111', 'RJ'),"
                       " (?, '222', 'RJ')"),
        {Company, Company, Company, OtherCompany, OtherCompany});
    const QString asset = QStringLiteral("INSERT INTO BEMATIVO (CDEMPRESA, CDBEMATIVO, NMBEMATIVO, "
                                         "CDPATRIBEMATIVO, CDINSCESTA, DTENTRADA,"
                                         " VRICMSPROPRIO, VRICMSST, VRICMSFRETE, VRICMSDIFAL, "
                                         "NRPARCELAS, IDTPAPROPPISCOF, DTSAIDA, IDTPSAIDA)"
                                         " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const QVariant none;
    // January 2024, registration 111: 100.00 (1st) + 20.83 (48th) + 50.00 (sold that month)
    // + 25.00 (four parts) = 195.83.
    exec(asset, {Company, "0000000001", "Empilhadeira", "PAT-1", "111", QDate(2024, 1, 10), 4800.0,
                 0.0, 0.0, 0.0, 48, "01", none, none});
    exec(asset, {Company, "0000000002", "Torno", "PAT-2", "111", QDate(2020, 2, 5), 1000.0, 0.0,
                 0.0, 0.0, 48, "01", none, none});
    exec(asset, {Company, "0000000003", "Caminhão", "PAT-3", "111", QDate(2023, 6, 1), 2400.0, 0.0,
                 0.0, 0.0, 48, "01", QDate(2024, 1, 20), "V"});
    exec(asset, {Company, "0000000004", "Ponte rolante", "PAT-4", "111", QDate(2023, 12, 15),
                 1000.0, 100.0, 50.5, 49.5, 48, "09", none, none});
    exec(asset, {Company, "0000000005", "Balança", "PAT-5", "ABC-9", QDate(2023, 1, 1), 480.0, 0.0,
                 0.0, 0.0, 48, "01", none, none});
    exec(asset, {Company, "0000000006", "Máquina 'X' \"Y\"; DROP TABLE EMPRESA; --", "PAT-'6'",
                 "111", QDate(2024, 3, 1), 960.0, 0.0, 0.0, 0.0, 48, "01", none, none});
    // The other company's: the same numbers, the same registration code, other figures.
    exec(asset, {OtherCompany, "0000000001", "Prensa da outra", "PAT-O1", "111", QDate(2024, 1, 5),
                 9600.0, 0.0, 0.0, 0.0, 48, "01", none, none});
    exec(asset, {OtherCompany, "0000000002", "Torno da outra", "PAT-O2", "222", QDate(2023, 1, 1),
                 4800.0, 0.0, 0.0, 0.0, 48, "01", none, none});
    // January 2024, registration 111: total 1,500.00, taxed 900.00. The remittance for repair
    // (5.915) and the cancelled invoice count nowhere.
    addInvoice(
        {Company,
         "111",
         "1",
         QDate(2024, 1, 3),
         {{"5101", "00", 80000, 14400}, {"5102", "40", 20000, 0}, {"5915", "41", 70000, 0}}});
    addInvoice({Company,
                "111",
                "2",
                QDate(2024, 1, 31),
                {{"5101", "00", 10000, 1800}, {"5102", "41", 40000, 0}}});
    addInvoice({Company, "111", "5", QDate(2024, 1, 20), {{"5101", "00", 999999, 180000}}, true});
    addInvoice({Company, "111", "3", QDate(2024, 2, 1), {{"5101", "00", 0, 0}}});
    addInvoice({Company, "ABC-9", "4", QDate(2024, 1, 15), {{"5101", "00", 30000, 5400}}});
    addInvoice({OtherCompany,
                "111",
                "1",
                QDate(2024, 1, 3),
                {{"5101", "00", 200000, 36000}, {"7101", "41", 50000, 0}}});
    addInvoice({OtherCompany, "222", "2", QDate(2024, 1, 9), {{"6101", "00", 70000, 8400}}});
    tx.commit();
}

void TestDatabase::addInvoice(const Invoice& invoice) {
    exec(QStringLiteral("INSERT INTO NFSAIDA (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE, NRNFSAIDA,"
                        " DTEMISSAONF, IDCANCELADA) VALUES (?, ?, '55', '1', ?, ?, ?)"),
         {invoice.company, invoice.registration, invoice.number, invoice.issued,
          invoice.cancelled ? "S" : "N"});
    int number = 1;
    for (const Item& item : invoice.items)
        exec(QStringLiteral("INSERT INTO NFSAIDAITEM (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE,"
                            " NRNFSAIDA, NRITEM, CDCFOP, CDORIGEM, CDSITTRIB, VRCONTABILCENT,"
                            " VRICMSCENT) VALUES (?, ?, '55', '1', ?, ?, ?, '0', ?, ?, ?)"),
             {invoice.company, invoice.registration, invoice.number, number++, item.cfop,
              item.situation, item.cents, item.icmsCents});
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
            values << fixture::Company << QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0'))
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
