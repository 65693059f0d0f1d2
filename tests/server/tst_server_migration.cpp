// A database of schema version 1, as the previous release left it, opened by today's server:
// every figure stays, and the month's outgoing values come out as they did.
#include "CiapApi.h"
#include "Migrations.h"
#include "ServerProcess.h"
#include "TestDatabase.h"

#include <QTest>

using ciap::DataPacket;
using fixture::Company;
using fixture::Tax;

namespace {

// The stored figures a migration must not touch, one text line per row.
const QStringList figureQueries{
    QStringLiteral("SELECT CDEMPRESA, CDIMPOSTO, NRSEQCIAP, CDINSCESTA, DTCOMPETECIAP, VRSAIDACIAP,"
                   " VRSAIDATRIBCIAP, VRCOEFICIAP, VRSALDOPARCCIAP, VRCREDAPROPCIAP,"
                   " IDSITCOMPETCIAP, NRQTDBENS FROM CIAPCOMPET ORDER BY NRSEQCIAP"),
    QStringLiteral("SELECT NRSEQCIAP, CDBEMATIVO, VRPARCELACIAP, VRAPROPARCCIAP FROM CIAPBEM"
                   " ORDER BY NRSEQCIAP, CDBEMATIVO"),
    QStringLiteral("SELECT CDBEMATIVO, VRICMSPROPRIO, VRICMSST, VRICMSFRETE, VRICMSDIFAL,"
                   " NRPARCELAS, DTSAIDA FROM BEMATIVO ORDER BY CDBEMATIVO"),
    QStringLiteral("SELECT CDEMPRESA, CDIMPOSTO, NRULTSEQ FROM CIAPSEQ")};

} // namespace

class TestServerMigration : public QObject {
    Q_OBJECT

private:
    TestDatabase m_db;
    ServerProcess m_server;
    QList<QStringList> m_before;

    QList<QStringList> figures() {
        QList<QStringList> out;
        for (const QString& sql : figureQueries)
            out << m_db.rows(sql);
        return out;
    }

private Q_SLOTS:
    void initTestCase() {
        QString skip;
        if (!m_db.create(&skip, 1))
            QSKIP(qPrintable(skip));
        const QVariant none;
        m_db.exec(QStringLiteral("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (?, 'E')"),
                  {Company});
        m_db.exec(QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, CDTIPOIMPOSTO)"
                                 " VALUES (?, 'ICMS', '01')"),
                  {Tax});
        m_db.exec(QStringLiteral("INSERT INTO INSCESTA (CDEMPRESA, CDINSCESTA) VALUES (?, '111')"),
                  {Company});
        const QString asset = QStringLiteral(
            "INSERT INTO BEMATIVO (CDEMPRESA, CDBEMATIVO, NMBEMATIVO, CDINSCESTA, DTENTRADA,"
            " VRICMSPROPRIO, DTSAIDA, IDTPSAIDA) VALUES (?, ?, ?, '111', ?, ?, ?, ?)");
        m_db.exec(asset,
                  {Company, "0000000001", "Empilhadeira", QDate(2024, 1, 10), 4800.0, none, none});
        m_db.exec(asset, {Company, "0000000003", "Caminhão", QDate(2023, 6, 1), 2400.0,
                          QDate(2024, 1, 20), "V"});
        // Version 1 kept an invoice's total and taxed values as two doubles.
        const QString invoice = QStringLiteral(
            "INSERT INTO NFSAIDA (CDEMPRESA, CDINSCESTA, NRNFSAIDA, DTEMISSAONF, VRTOTALNF,"
            " VRTRIBNF) VALUES (?, '111', ?, ?, ?, ?)");
        m_db.exec(invoice, {Company, "1", QDate(2024, 1, 3), 1000.0, 800.0});
        m_db.exec(invoice, {Company, "2", QDate(2024, 1, 31), 500.0, 100.0});
        m_db.exec(invoice, {Company, "3", QDate(2024, 2, 1), 0.0, 0.0});
        m_db.exec(invoice, {Company, "A-7", QDate(2024, 3, 5), 250.25, 0.0});
        m_db.exec(invoice, {Company, "8", QDate(2024, 3, 6), 99.99, 99.99});
        // An appropriated month at full precision and a pending one still empty.
        m_db.exec(QStringLiteral("INSERT INTO CIAPSEQ (CDEMPRESA, CDIMPOSTO, NRULTSEQ) VALUES "
                                 "(?, ?, 2)"),
                  {Company, Tax});
        const QString month = QStringLiteral(
            "INSERT INTO CIAPCOMPET (CDEMPRESA, CDIMPOSTO, NRSEQCIAP, CDINSCESTA, DTCOMPETECIAP,"
            " VRSAIDACIAP, VRSAIDATRIBCIAP, VRCOEFICIAP, VRSALDOPARCCIAP, VRCREDAPROPCIAP,"
            " IDSITCOMPETCIAP, NRQTDBENS) VALUES (?, ?, ?, '111', ?, ?, ?, ?, ?, ?, ?, ?)");
        m_db.exec(month, {Company, Tax, 1, QDate(2024, 1, 1), 1500.0, 900.0, 0.6, 150.0,
                          150.0 * 0.6, "A", 2});
        m_db.exec(month, {Company, Tax, 2, QDate(2024, 3, 1), 0.0, 0.0, 0.0, 0.0, 0.0, "P", 0});
        const QString loaded = QStringLiteral(
            "INSERT INTO CIAPBEM (CDEMPRESA, CDIMPOSTO, NRSEQCIAP, CDBEMATIVO, VRPARCELACIAP,"
            " VRAPROPARCCIAP) VALUES (?, ?, 1, ?, ?, ?)");
        m_db.exec(loaded, {Company, Tax, "0000000001", 100.0, 60.0});
        m_db.exec(loaded, {Company, Tax, "0000000003", 50.0, 30.0});
        m_before = figures();
        // The server migrates the database it is given.
        QVERIFY2(m_server.start(m_db.location()), qPrintable(m_server.error()));
    }

    void figuresStay() {
        QCOMPARE(m_db.scalar(QStringLiteral("SELECT MAX(NRVERSAO) FROM CIAP_SCHEMA")).toInt(),
                 ciap::server::Migrations::currentVersion());
        QCOMPARE(figures(), m_before);
    }

    // Each invoice becomes its header and items of CFOP 5.949 that add up to what it held.
    void invoicesBecomeItems_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QStringList>("items"); // "item CFOP CST cents"
        QTest::newRow("taxed and not") << "1" << QStringList{"1 5949 00 80000", "2 5949 41 20000"};
        QTest::newRow("all taxed") << "8" << QStringList{"1 5949 00 9999"};
        QTest::newRow("nothing taxed") << "A-7" << QStringList{"1 5949 41 25025"};
        QTest::newRow("zero") << "3" << QStringList{"1 5949 41 0"};
    }
    void invoicesBecomeItems() {
        QFETCH(QString, number);
        QFETCH(QStringList, items);
        QCOMPARE(m_db.rows(QStringLiteral("SELECT CDMODELO, NRSERIE, CHNFE, IDCANCELADA FROM"
                                          " NFSAIDA WHERE NRNFSAIDA = ?"),
                           {number}),
                 QStringList{QStringLiteral("|||N")});
        QCOMPARE(m_db.rows(QStringLiteral("SELECT NRITEM, CDCFOP, CDSITTRIB, VRCONTABILCENT FROM"
                                          " NFSAIDAITEM WHERE NRNFSAIDA = ? ORDER BY NRITEM"),
                           {number}, QLatin1Char(' ')),
                 items);
    }

    // The month's outgoing values as the previous version summed them.
    void outgoingAsBefore() {
        RpcTestClient client;
        QVERIFY(client.connectTo(m_server.host(), m_server.port()));
        CiapApi api(client);
        QVERIFY(api.create(Company, Tax, "111", "02/2024").contains(QStringLiteral("result")));
        DataPacket p = api.list(Company, Tax);
        const int march = CiapApi::find(p, "03/2024");
        const int february = CiapApi::find(p, "02/2024");
        QCOMPARE(CiapApi::loaded(api.load(p, march, "IMP")), QStringLiteral("OK"));
        QCOMPARE(CiapApi::loaded(api.load(p, february, "IMP")), QStringLiteral("TOTAL_NULO"));
        p = api.list(Company, Tax);
        QCOMPARE(CiapApi::value(p, march, "VRSAIDACIAP").toDouble(), 350.24);
        QCOMPARE(CiapApi::value(p, march, "VRSAIDATRIBCIAP").toDouble(), 99.99);
        QCOMPARE(m_db.scalar(QStringLiteral("SELECT COUNT(*) FROM CFOPSAIDA")).toInt(), 331);
    }
};

QTEST_GUILESS_MAIN(TestServerMigration)
#include "tst_server_migration.moc"
