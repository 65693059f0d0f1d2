// The month's outgoing values from the invoices' items, the state's choices and the
// appropriated figures, against a real server process: the worked examples of
// docs/ciap-rules.md.
#include "CiapApi.h"
#include "ServerFixture.h"

#include <QTest>

using ciap::DataPacket;
using fixture::Company;
using fixture::OtherCompany;
using fixture::Tax;
using Item = TestDatabase::Item;

Q_DECLARE_METATYPE(QList<TestDatabase::Item>)

class TestServerOutgoing : public QObject {
    Q_OBJECT

private:
    ServerFixture m_fx;
    std::unique_ptr<RpcTestClient> m_client;

    CiapApi api() { return CiapApi(*m_client); }
    // A new competência of the month with the given loads done; its row in the list.
    DataPacket month(const QString& company, const QString& registration, const QString& month,
                     const QStringList& loads, int* row) {
        const QJsonObject r = api().create(company, Tax, registration, month);
        if (!r.contains(QStringLiteral("result")))
            qWarning("create failed: %s", qPrintable(m_client->errorMessage(r)));
        DataPacket p = api().list(company, Tax);
        *row = CiapApi::find(p, month, registration);
        for (const QString& mode : loads)
            if (CiapApi::loaded(api().load(p, *row, mode)) != QLatin1String("OK"))
                qWarning("load %s failed", qPrintable(mode));
        return api().list(company, Tax);
    }
    QJsonObject apropriar(const DataPacket& p, int row) {
        return m_client->call(QStringLiteral("Apropriar"),
                              {CiapApi::value(p, row, "CDEMPRESA").toString(), Tax,
                               CiapApi::value(p, row, "COMPETENCIA").toString(),
                               CiapApi::value(p, row, "VRCOEFICIAP").toDouble(),
                               CiapApi::value(p, row, "NRSEQCIAP").toString()});
    }
    QList<double> shares(const DataPacket& p, int row) {
        const DataPacket assets =
            m_client->packet(QStringLiteral("getBensComp"), api().key(p, row));
        QList<double> out;
        for (int i = 0; i < assets.rows.size(); ++i)
            out << CiapApi::value(assets, i, "VRAPROPARCCIAP").toDouble();
        return out;
    }
    // The exporter's April 2024 (registration 111): 300.00 taxed at home, 300.00 exported,
    // 300.00 exempt; a remittance for repair and a cancelled sale that count nowhere.
    // Or with the first sale replaced by a remittance with the specific end of export.
    void exporterInvoices(bool specificEnd = false) {
        const Item home =
            specificEnd ? Item{"5501", "41", 3000000, 0} : Item{"5101", "00", 3000000, 540000};
        m_fx.db.addInvoice(
            {Company, "111", "41", QDate(2024, 4, 2), {home, {"5102", "40", 3000000, 0}}});
        m_fx.db.addInvoice({Company, "111", "42", QDate(2024, 4, 9), {{"7101", "41", 3000000, 0}}});
        m_fx.db.addInvoice({Company, "111", "43", QDate(2024, 4, 15), {{"5915", "41", 500000, 0}}});
        m_fx.db.addInvoice(
            {Company, "111", "44", QDate(2024, 4, 30), {{"5101", "00", 800000, 144000}}, true});
    }

private Q_SLOTS:
    void initTestCase() {
        const ServerFixture::Start started = m_fx.start();
        if (started == ServerFixture::Start::Skipped)
            QSKIP(qPrintable(m_fx.error));
        QVERIFY2(started == ServerFixture::Start::Ready, qPrintable(m_fx.error));
    }
    void init() {
        m_client = m_fx.reset();
        QVERIFY(m_client);
    }

    // Worked example "an exporter's month".
    void exporterMonth() {
        exporterInvoices();
        int row = -1;
        DataPacket p = month(Company, "111", "04/2024", {"BEM", "IMP"}, &row);
        QCOMPARE(CiapApi::value(p, row, "VRSAIDACIAP").toDouble(), 90000.0);
        QCOMPARE(CiapApi::value(p, row, "VRSAIDATRIBCIAP").toDouble(), 60000.0);
        QCOMPARE(CiapApi::value(p, row, "VRSALDOPARCCIAP").toDouble(), 145.0);
        QCOMPARE(CiapApi::value(p, row, "VRCOEFICIAP").toDouble(), 60000.0 / 90000.0);
        QVERIFY(apropriar(p, row).contains(QStringLiteral("result")));
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "VRCOEFICIAP").toDouble(), 0.66666667);
        QCOMPARE(CiapApi::value(p, row, "VRCREDAPROPCIAP").toDouble(), 96.67);
        QCOMPARE(shares(p, row), (QList<double>{66.67, 16.67, 13.33}));
    }

    // A state that treats remittances with the specific end of export (5.501) as exports.
    void stateReadsTheCfopTable_data() {
        QTest::addColumn<QString>("overrideState");
        QTest::addColumn<double>("taxed");
        QTest::newRow("national table") << QString() << 30000.0;
        QTest::newRow("the registration's state") << "SP" << 60000.0;
        QTest::newRow("another state") << "MG" << 30000.0;
    }
    void stateReadsTheCfopTable() {
        QFETCH(QString, overrideState);
        QFETCH(double, taxed);
        if (!overrideState.isEmpty())
            m_fx.db.exec(QStringLiteral("INSERT INTO CFOPSAIDA (CDCFOP, SGUF, NMCFOP, IDCONTATOTAL,"
                                        " IDCONTATRIBUTADA) VALUES ('5501', ?, 'fim específico',"
                                        " 'S', 'S')"),
                         {overrideState});
        exporterInvoices(true);
        int row = -1;
        const DataPacket p = month(Company, "111", "04/2024", {"IMP"}, &row);
        QCOMPARE(CiapApi::value(p, row, "VRSAIDACIAP").toDouble(), 90000.0);
        QCOMPARE(CiapApi::value(p, row, "VRSAIDATRIBCIAP").toDouble(), taxed);
    }

    // Nothing is counted by guess, and a month with nothing that counts says so.
    void outgoingThatCannotBeCounted_data() {
        QTest::addColumn<QList<Item>>("items");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QString>("answer"); // "": refused with this message
        QTest::addColumn<QString>("refusal");
        QTest::newRow("unknown CFOP")
            << QList<Item>{{"5999", "00", 100, 18}} << false << ""
            << "CFOP 5.999 desconhecido (nota fiscal 77): não consta da tabela de CFOPs de saída. "
               "Corrija a nota ou inclua o CFOP na tabela antes de calcular o coeficiente.";
        QTest::newRow("unknown CST")
            << QList<Item>{{"5101", "99", 100, 18}} << false << ""
            << "Situação tributária do ICMS \"99\" desconhecida (CFOP 5.101, nota fiscal 77): "
               "informe o CST ou o CSOSN do item.";
        QTest::newRow("an entry's CFOP")
            << QList<Item>{{"1102", "00", 100, 18}} << false << ""
            << "CFOP 1.102 desconhecido (nota fiscal 77): não consta da tabela de CFOPs de saída. "
               "Corrija a nota ou inclua o CFOP na tabela antes de calcular o coeficiente.";
        QTest::newRow("no ICMS situation, out of the total")
            << QList<Item>{{"5933", "", 100, 0}} << false << "TOTAL_NULO" << QString();
        QTest::newRow("unknown CFOP, cancelled")
            << QList<Item>{{"5999", "00", 100, 18}} << true << "TOTAL_NULO" << QString();
        QTest::newRow("only a remittance")
            << QList<Item>{{"5915", "41", 100, 0}} << false << "TOTAL_NULO" << QString();
    }
    void outgoingThatCannotBeCounted() {
        QFETCH(QList<Item>, items);
        QFETCH(bool, cancelled);
        QFETCH(QString, answer);
        QFETCH(QString, refusal);
        m_fx.db.addInvoice({Company, "111", "77", QDate(2024, 5, 3), items, cancelled});
        int row = -1;
        const DataPacket p = month(Company, "111", "05/2024", {}, &row);
        const QJsonObject r = api().load(p, row, "IMP");
        if (answer.isEmpty()) {
            QCOMPARE(m_client->errorCode(r), -32000);
            QCOMPARE(m_client->errorMessage(r), refusal);
        } else {
            QCOMPARE(CiapApi::loaded(r), answer);
        }
        QCOMPARE(api().list(Company, Tax).rows, p.rows);
    }

    // Worked example "the exit month": the Caminhão, sold on 20/01/2024, under both readings
    // of LC 87/96 art. 20 §5 V by the registration's state.
    void exitMonth_data() {
        QTest::addColumn<bool>("counts");
        QTest::addColumn<double>("balance");
        QTest::addColumn<double>("credit");
        QTest::newRow("the state grants the exit month") << true << 195.83 << 117.50;
        QTest::newRow("the state grants none") << false << 145.83 << 87.50;
    }
    void exitMonth() {
        QFETCH(bool, counts);
        QFETCH(double, balance);
        QFETCH(double, credit);
        m_fx.db.exec(QStringLiteral("INSERT INTO UFCIAP (SGUF, IDPARCSAIDA) VALUES ('SP', ?)"),
                     {counts ? "S" : "N"});
        const QJsonArray vdArgs{Company, Tax, "01/2024", "3", "111"};
        QCOMPARE(m_client->packet(QStringLiteral("VdBemParcel"), vdArgs).rows.size(),
                 counts ? 1 : 0);
        const DataPacket sum = m_client->packet(QStringLiteral("getVrParcelBemComp"),
                                                {"01/2024", Tax, Company, "111"});
        QCOMPARE(sum.rows.at(0).at(0).toDouble(), balance);
        int row = -1;
        DataPacket p = month(Company, "111", "01/2024", {"BEM", "IMP"}, &row);
        QCOMPARE(CiapApi::value(p, row, "VRSALDOPARCCIAP").toDouble(), balance);
        const QJsonObject grava = m_client->call(QStringLiteral("GravaInfBensCiap"),
                                                 {Company, "3", Tax, "2024-01-01", "I", "111",
                                                  CiapApi::value(p, row, "NRSEQCIAP").toString()});
        QCOMPARE(m_client->errorCode(grava), counts ? 0 : -32000);
        QVERIFY(apropriar(p, row).contains(QStringLiteral("result")));
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "VRCREDAPROPCIAP").toDouble(), credit);
        // The other company's registration 111 is in RJ: its own month is untouched.
        QCOMPARE(m_client
                     ->packet(QStringLiteral("getVrParcelBemComp"),
                              {"01/2024", Tax, OtherCompany, "111"})
                     .rows.at(0)
                     .at(0)
                     .toDouble(),
                 200.0);
    }

    // The second company's month of the same registration code: its assets and invoices only,
    // and the first company's calls never reach them.
    void companiesStayApart() {
        int mine = -1;
        int theirs = -1;
        DataPacket ours = month(Company, "111", "01/2024", {"BEM", "IMP"}, &mine);
        DataPacket other = month(OtherCompany, "111", "01/2024", {"BEM", "IMP"}, &theirs);
        QCOMPARE(CiapApi::value(other, theirs, "ITEMEXISTE").toDouble(), 1.0);
        QCOMPARE(CiapApi::value(other, theirs, "VRSALDOPARCCIAP").toDouble(), 200.0);
        QCOMPARE(CiapApi::value(other, theirs, "VRSAIDACIAP").toDouble(), 2500.0);
        QCOMPARE(CiapApi::value(other, theirs, "VRSAIDATRIBCIAP").toDouble(), 2500.0);
        QCOMPARE(CiapApi::value(ours, mine, "VRSAIDACIAP").toDouble(), 1500.0);
        QCOMPARE(CiapApi::value(ours, mine, "VRSALDOPARCCIAP").toDouble(), 195.83);
        // Their asset 1 through our company's code is our Empilhadeira, loaded already.
        const DataPacket vd = m_client->packet(QStringLiteral("VdBemParcel"),
                                               {OtherCompany, Tax, "01/2024", "1", "111"});
        QCOMPARE(CiapApi::value(vd, 0, "NMBEMATIVO").toString(), QStringLiteral("Prensa da outra"));
        QCOMPARE(CiapApi::value(vd, 0, "SITUACAO").toDouble(), 1.0);
        QVERIFY(apropriar(other, theirs).contains(QStringLiteral("result")));
        other = api().list(OtherCompany, Tax);
        QCOMPARE(CiapApi::value(other, theirs, "VRCREDAPROPCIAP").toDouble(), 200.0);
        QCOMPARE(api().list(Company, Tax).rows, ours.rows);
        // Our sequence on their competência finds nothing of ours.
        const QJsonObject cross = m_client->call(
            QStringLiteral("cancelaApropriacao"),
            {Company, CiapApi::value(other, theirs, "NRSEQCIAP").toString(), "2024-01-01", Tax});
        QCOMPARE(m_client->errorCode(cross), -32000);
    }
};

QTEST_GUILESS_MAIN(TestServerOutgoing)
#include "tst_server_outgoing.moc"
