// The read methods and the two loads, against a real server process.
#include "CiapApi.h"
#include "Packets.h"
#include "ServerFixture.h"

#include <QTest>

using ciap::DataPacket;
using fixture::Company;
using fixture::OtherCompany;
using fixture::Tax;

class TestServerMethods : public QObject {
    Q_OBJECT

private:
    ServerFixture m_fx;
    std::unique_ptr<RpcTestClient> m_client;

    CiapApi api() { return CiapApi(*m_client); }
    DataPacket createAndList(const QString& tax, const QString& reg, const QString& month,
                             int* row) {
        const QJsonObject r = api().create(Company, tax, reg, month);
        if (!r.contains(QStringLiteral("result")))
            qWarning("create failed: %s", qPrintable(m_client->errorMessage(r)));
        const DataPacket p = api().list(Company, tax);
        *row = CiapApi::find(p, month, reg);
        return p;
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

    // The host reads the company and tax registers with its own plain SQL.
    void hostSqlReadsTheRegisters() {
        QCOMPARE(m_fx.db
                     .scalar(QStringLiteral("SELECT CDEMPRESA, NMEMPRESA FROM EMPRESA WHERE ? = "
                                            "CDEMPRESA ORDER BY CDEMPRESA"),
                             {Company})
                     .toString(),
                 Company);
        QCOMPARE(m_fx.db
                     .scalar(QStringLiteral("SELECT NMIMPOSTO FROM IMPOSTO WHERE ? = CDIMPOSTO"),
                             {fixture::WholeTax})
                     .toString(),
                 QStringLiteral("ICMS INTEGRAL"));
    }

    void verificaImposto_data() {
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QString>("kind");
        QTest::newRow("ICMS") << Tax << "01";
        QTest::newRow("unpadded") << "8"
                                  << "50";
        QTest::newRow("60") << fixture::StTax << "60";
        QTest::newRow("a company's code") << Company << QString();
        QTest::newRow("unknown") << "99" << QString();
    }
    void verificaImposto() {
        QFETCH(QString, tax);
        QFETCH(QString, kind);
        const QJsonObject reply = m_client->call(QStringLiteral("getVerificaImposto"), {tax});
        if (kind.isEmpty()) {
            QCOMPARE(m_client->errorCode(reply), -32000);
            QCOMPARE(m_client->errorMessage(reply), QStringLiteral("Imposto não cadastrado."));
        } else {
            QCOMPARE(reply.value(QStringLiteral("result")).toArray(), QJsonArray{kind});
        }
    }

    void inscEsta_data() {
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("all") << Company << "T"
                             << "" << QStringList{"111", "ABC-9", "O'Brien \"x\""};
        QTest::newRow("one, other case and blanks") << Company << ""
                                                    << " abc-9 " << QStringList{"ABC-9"};
        QTest::newRow("quotes stored literally") << Company << ""
                                                 << "o'brien \"X\"" << QStringList{"O'Brien \"x\""};
        QTest::newRow("unknown") << Company << ""
                                 << "999" << QStringList();
        QTest::newRow("empty company") << ""
                                       << "T"
                                       << "" << QStringList();
        QTest::newRow("other company, unpadded") << "4"
                                                 << "T"
                                                 << "" << QStringList{"111", "222"};
        QTest::newRow("not of this company") << Company << ""
                                             << "222" << QStringList();
        QTest::newRow("a tax's code") << Tax << "T"
                                      << "" << QStringList();
    }
    void inscEsta() {
        QFETCH(QString, company);
        QFETCH(QString, mode);
        QFETCH(QString, code);
        QFETCH(QStringList, rows);
        const DataPacket p = m_client->packet(QStringLiteral("getInscEsta"), {company, mode, code});
        QCOMPARE(p.fields, ciap::server::Packets::inscEsta());
        QStringList got;
        for (const auto& r : p.rows)
            got << r.at(0).toString();
        QCOMPARE(got, rows);
    }

    void vrParcelBemComp_data() {
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QVariant>("sum"); // invalid: no row
        QTest::newRow("first, 48th, sold, four parts")
            << "01/2024" << Company << "111" << QVariant(195.83);
        QTest::newRow("after the 48th and the sale")
            << "02/2024" << Company << "111" << QVariant(125.0);
        QTest::newRow("a new asset starts") << "03/2024" << Company << "111" << QVariant(145.0);
        QTest::newRow("before any entry") << "01/2020" << Company << "111" << QVariant();
        QTest::newRow("registration in other case")
            << "01/2024" << Company << "abc-9" << QVariant(10.0);
        QTest::newRow("unknown registration") << "01/2024" << Company << "nope" << QVariant();
        QTest::newRow("the other company's 111")
            << "01/2024" << OtherCompany << "111" << QVariant(200.0);
        QTest::newRow("the other company's, not ours")
            << "01/2024" << Company << "222" << QVariant();
    }
    void vrParcelBemComp() {
        QFETCH(QString, month);
        QFETCH(QString, company);
        QFETCH(QString, registration);
        QFETCH(QVariant, sum);
        const DataPacket p = m_client->packet(QStringLiteral("getVrParcelBemComp"),
                                              {month, Tax, company, registration});
        QCOMPARE(p.fields, ciap::server::Packets::vrParcel());
        if (!sum.isValid()) {
            QCOMPARE(p.rows.size(), 0);
        } else {
            QCOMPARE(p.rows.size(), 1);
            QCOMPARE(p.rows.at(0).at(0).toDouble(), sum.toDouble());
        }
    }

    void competExiste() {
        auto count = [this](const QString& month, const QString& reg,
                            const QString& company = Company) {
            const DataPacket p =
                m_client->packet(QStringLiteral("getCompet_Existe"), {month, Tax, company, reg});
            return p.rows.size() == 1 ? p.rows.at(0).at(0).toDouble() : -1.0;
        };
        QCOMPARE(count(QStringLiteral("01/2024"), QStringLiteral("111")), 0.0);
        QVERIFY(api()
                    .create(Company, Tax, QStringLiteral("111"), QStringLiteral("01/2024"))
                    .contains(QStringLiteral("result")));
        QCOMPARE(count(QStringLiteral("01/2024"), QStringLiteral("111")), 1.0);
        QCOMPARE(count(QStringLiteral("01/2024"), QStringLiteral("ABC-9")), 0.0);
        QCOMPARE(count(QStringLiteral("02/2024"), QStringLiteral("111")), 0.0);
        // The other company's registration of the same code has no competência.
        QCOMPARE(count(QStringLiteral("01/2024"), QStringLiteral("111"), OtherCompany), 0.0);
    }

    void nrseqIsFreshAndFormatted() {
        const QString a = api().newSequence(Company, Tax, QDate(2024, 1, 1));
        const QString b = api().newSequence(Company, Tax, QDate(2024, 1, 1));
        const QString otherTax = api().newSequence(Company, fixture::WholeTax, QDate(2024, 1, 1));
        const QString otherCompany = api().newSequence(OtherCompany, Tax, QDate(2024, 1, 1));
        QCOMPARE(a.size(), 10);
        QCOMPARE(b.toLongLong(), a.toLongLong() + 1);
        QCOMPARE(otherTax, QStringLiteral("0000000001"));
        QCOMPARE(otherCompany, QStringLiteral("0000000001"));
        for (const QJsonArray& wrong :
             {QJsonArray{"77", Tax, "2024-01-01"}, QJsonArray{Tax, Company, "2024-01-01"}})
            QCOMPARE(m_client->errorCode(m_client->call(QStringLiteral("getNrseqCiap"), wrong)),
                     -32000);
        const QJsonObject bad =
            m_client->call(QStringLiteral("getNrseqCiap"), {Company, Tax, "31/01/2024"});
        QCOMPARE(m_client->errorCode(bad), -32602);
        QVERIFY(m_client->errorMessage(bad).contains(QLatin1String("dtCompetencia")));
    }

    void listFieldsAndValues() {
        QVERIFY(
            api()
                .create(Company, Tax, QStringLiteral("111"), QStringLiteral("01/2024"), 1500, 900)
                .contains(QStringLiteral("result")));
        const DataPacket p = api().list(Company, Tax);
        QCOMPARE(p.fields, ciap::server::Packets::ciap());
        QCOMPARE(p.rows.size(), 1);
        auto v = [&](const char* f) { return CiapApi::value(p, 0, QString::fromLatin1(f)); };
        QCOMPARE(v("CDEMPRESA").toString(), Company);
        QCOMPARE(v("CDIMPOSTO").toString(), Tax);
        QCOMPARE(v("COMPETENCIA").toString(), QStringLiteral("01/2024"));
        QCOMPARE(v("VRSAIDACIAP").toDouble(), 1500.0);
        QCOMPARE(v("VRCOEFICIAP").toDouble(), 0.6);
        QCOMPARE(v("VRSALDOPARCCIAP").toDouble(), 0.0);
        QCOMPARE(v("IDSITCOMPETCIAP").toString(), QStringLiteral("P"));
        QCOMPARE(v("LOCATE").toString(), QLatin1Char('C') + v("NRSEQCIAP").toString());
        QCOMPARE(v("DTCOMPETECIAP").toDate(), QDate(2024, 1, 1));
        QCOMPARE(v("NOME").toString(),
                 QStringLiteral("01/2024 - Pendente - EMPRESA TESTE LTDA - ICMS - IE 111"));
        QCOMPARE(v("ITEMEXISTE").toDouble(), 0.0);
        QCOMPARE(v("CDINSCESTA").toString(), QStringLiteral("111"));
    }

    void listFilters() {
        for (const char* m : {"02/2024", "01/2024", "03/2024"})
            QVERIFY(api()
                        .create(Company, Tax, "111", QString::fromLatin1(m))
                        .contains(QStringLiteral("result")));
        QVERIFY(api().create(Company, Tax, "abc-9", "01/2024").contains(QStringLiteral("result")));
        // The other company's competência of the same month and registration code stays its own.
        QVERIFY(
            api().create(OtherCompany, Tax, "111", "01/2024").contains(QStringLiteral("result")));
        auto months = [this](const char* from, const char* to, const char* reg) {
            const DataPacket p = m_client->packet(QStringLiteral("getCIAP"),
                                                  {Company, Tax, from, to, "A", "P", reg});
            QStringList out;
            for (int i = 0; i < p.rows.size(); ++i)
                out << CiapApi::value(p, i, "COMPETENCIA").toString() + QLatin1Char(' ') +
                           CiapApi::value(p, i, "CDINSCESTA").toString();
            return out;
        };
        QCOMPARE(months("2024-01-15", "2024-02-10", "T"),
                 (QStringList{"01/2024 111", "01/2024 ABC-9", "02/2024 111"}));
        QCOMPARE(months("2024-01-01", "2024-12-31", " abc-9"), QStringList{"01/2024 ABC-9"});
        QCOMPARE(months("2024-03-01", "2024-01-01", "T"), QStringList());
        QCOMPARE(months("2024-01-01", "2024-12-31", "unknown"), QStringList());
        // The situation texts the client sends are the ones it reads back.
        const DataPacket p =
            m_client->packet(QStringLiteral("getCIAP"),
                             {Company, Tax, "2024-03-01", "2024-03-01", "Feito", "Aberto", "T"});
        QVERIFY(CiapApi::value(p, 0, "NOME")
                    .toString()
                    .startsWith(QLatin1String("03/2024 - Aberto - ")));
    }

    void loadsAndAssets() {
        int row = -1;
        DataPacket p = createAndList(Tax, "111", "01/2024", &row);
        QVERIFY(row >= 0);
        QCOMPARE(CiapApi::loaded(api().load(p, row, "BEM")), QStringLiteral("OK"));
        QCOMPARE(CiapApi::loaded(api().load(p, row, "IMP")), QStringLiteral("OK"));
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "ITEMEXISTE").toDouble(), 4.0);
        QCOMPARE(CiapApi::value(p, row, "VRSALDOPARCCIAP").toDouble(), 195.83);
        QCOMPARE(CiapApi::value(p, row, "VRSAIDACIAP").toDouble(), 1500.0);
        QCOMPARE(CiapApi::value(p, row, "VRSAIDATRIBCIAP").toDouble(), 900.0);
        QCOMPARE(CiapApi::value(p, row, "VRCOEFICIAP").toDouble(), 0.6);
        QCOMPARE(CiapApi::value(p, row, "VRCREDAPROPCIAP").toDouble(), 195.83 * 0.6);

        const DataPacket assets =
            m_client->packet(QStringLiteral("getBensComp"), api().key(p, row));
        QCOMPARE(assets.fields, ciap::server::Packets::bensComp());
        QCOMPARE(assets.rows.size(), 4);
        QCOMPARE(CiapApi::value(assets, 0, "CDBEMATIVO").toString(), QStringLiteral("0000000001"));
        QCOMPARE(CiapApi::value(assets, 0, "VRPARCELACIAP").toDouble(), 100.0);
        QCOMPARE(CiapApi::value(assets, 0, "VRAPROPARCCIAP").toDouble(), 60.0);
        QCOMPARE(CiapApi::value(assets, 0, "DTCOMPETECIAP").toDate(), QDate(2024, 1, 1));
        QCOMPARE(CiapApi::value(assets, 0, "VRCOEFICIAP").toDouble(), 0.6);
        QCOMPARE(CiapApi::value(assets, 3, "IDTPAPROPPISCOF").toString(), QStringLiteral("09"));
        QCOMPARE(CiapApi::value(assets, 3, "VRPARCELACIAP").toDouble(), 25.0);
        QCOMPARE(CiapApi::value(assets, 1, "VRPARCELACIAP").toDouble(), 20.83);
    }

    void loadFailures() {
        int row = -1;
        DataPacket p = createAndList(Tax, "111", "01/2020", &row);
        QCOMPARE(CiapApi::loaded(api().load(p, row, "BEM")), QStringLiteral("N_PARCELAS"));
        p = createAndList(Tax, "111", "02/2024", &row);
        QCOMPARE(CiapApi::loaded(api().load(p, row, "IMP")), QStringLiteral("TOTAL_NULO"));
        QCOMPARE(m_client->errorCode(api().load(p, row, "XYZ")), -32602);
        const DataPacket after = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(after, row, "VRSAIDACIAP").toDouble(), 0.0);
        QCOMPARE(CiapApi::value(after, row, "ITEMEXISTE").toDouble(), 0.0);
    }

    void wholeBalanceKinds_data() {
        QTest::addColumn<QString>("tax");
        QTest::addColumn<bool>("withInvoices");
        QTest::addColumn<double>("coefficient");
        QTest::newRow("50 with invoices") << fixture::WholeTax << true << 1.0;
        QTest::newRow("60 without invoices") << fixture::StTax << false << 1.0;
        QTest::newRow("other without invoices") << Tax << false << 0.0;
    }
    void wholeBalanceKinds() {
        QFETCH(QString, tax);
        QFETCH(bool, withInvoices);
        QFETCH(double, coefficient);
        int row = -1;
        DataPacket p = createAndList(tax, "111", "01/2024", &row);
        api().load(p, row, "BEM");
        if (withInvoices)
            api().load(p, row, "IMP");
        p = api().list(Company, tax);
        QCOMPARE(CiapApi::value(p, row, "VRCOEFICIAP").toDouble(), coefficient);
        const double expected = tax == Tax ? 0.0 : 195.83;
        QCOMPARE(CiapApi::value(p, row, "VRCREDAPROPCIAP").toDouble(), expected);
        const DataPacket assets =
            m_client->packet(QStringLiteral("getBensComp"), api().key(p, row));
        QCOMPARE(CiapApi::value(assets, 0, "VRAPROPARCCIAP").toDouble(), tax == Tax ? 0.0 : 100.0);
    }

    void bensCompOfNoRow() {
        const DataPacket p =
            m_client->packet(QStringLiteral("getBensComp"), {"", Company, Tax, ""});
        QCOMPARE(p.fields, ciap::server::Packets::bensComp());
        QCOMPARE(p.rows.size(), 0);
        QCOMPARE(m_client->errorCode(
                     m_client->call(QStringLiteral("getBensComp"), {"13/2024", Company, Tax, "1"})),
                 -32602);
    }

    void vdBemParcel_data() {
        QTest::addColumn<QString>("asset");
        QTest::addColumn<bool>("loadFirst");
        QTest::addColumn<QVariant>("situacao"); // invalid: no row
        QTest::newRow("found") << "1" << false << QVariant(2.0);
        QTest::newRow("already loaded") << "0000000001" << true << QVariant(1.0);
        QTest::newRow("no instalment in the month") << "6" << false << QVariant();
        QTest::newRow("other registration") << "5" << false << QVariant();
        QTest::newRow("unknown") << "4242" << false << QVariant();
    }
    void vdBemParcel() {
        QFETCH(QString, asset);
        QFETCH(bool, loadFirst);
        QFETCH(QVariant, situacao);
        int row = -1;
        const DataPacket p = createAndList(Tax, "111", "01/2024", &row);
        if (loadFirst)
            api().load(p, row, "BEM");
        const DataPacket v = m_client->packet(QStringLiteral("VdBemParcel"),
                                              {Company, Tax, "01/2024", asset, "111"});
        QCOMPARE(v.fields, ciap::server::Packets::vdBemParcel());
        if (!situacao.isValid()) {
            QCOMPARE(v.rows.size(), 0);
            return;
        }
        QCOMPARE(v.rows.size(), 1);
        QCOMPARE(CiapApi::value(v, 0, "CDBEMATIVO").toString(), QStringLiteral("0000000001"));
        QCOMPARE(CiapApi::value(v, 0, "NMBEMATIVO").toString(), QStringLiteral("Empilhadeira"));
        QCOMPARE(CiapApi::value(v, 0, "VRPARCELACIAP").toDouble(), 100.0);
        QCOMPARE(CiapApi::value(v, 0, "SITUACAO").toDouble(), situacao.toDouble());
    }

    void gravaInfBensCiap() {
        int row = -1;
        DataPacket p = createAndList(Tax, "111", "03/2024", &row);
        const QString seq = CiapApi::value(p, row, "NRSEQCIAP").toString();
        auto grava = [&](const QString& asset, const QString& op) {
            return m_client->call(QStringLiteral("GravaInfBensCiap"),
                                  {Company, asset, Tax, "2024-03-01", op, "111", seq});
        };
        QVERIFY(grava("6", "I").value("result").isNull());
        QVERIFY(grava("0000000006", "I").value("result").isNull()); // an edited row is "I" again
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "ITEMEXISTE").toDouble(), 1.0);
        QCOMPARE(CiapApi::value(p, row, "VRSALDOPARCCIAP").toDouble(), 20.0);
        const DataPacket assets =
            m_client->packet(QStringLiteral("getBensComp"), api().key(p, row));
        QCOMPARE(CiapApi::value(assets, 0, "NMBEMATIVO").toString(),
                 QStringLiteral("Máquina 'X' \"Y\"; DROP TABLE EMPRESA; --"));
        QCOMPARE(CiapApi::value(assets, 0, "CDPATRIBEMATIVO").toString(),
                 QStringLiteral("PAT-'6'"));

        const QJsonObject noInstalment = grava("2", "I");
        QCOMPARE(m_client->errorCode(noInstalment), -32000);
        QCOMPARE(m_client->errorMessage(noInstalment),
                 QStringLiteral("Bem não possui parcela na competência informada."));
        QCOMPARE(m_client->errorCode(grava("5", "I")), -32000);
        QCOMPARE(m_client->errorCode(grava("6", "X")), -32602);
        QVERIFY(grava("6", "D").value("result").isNull());
        QVERIFY(grava("6", "D").value("result").isNull()); // gone already: nothing to do
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "ITEMEXISTE").toDouble(), 0.0);
        QCOMPARE(CiapApi::value(p, row, "VRSALDOPARCCIAP").toDouble(), 0.0);
        // A competência that does not exist any more is named as such.
        QCOMPARE(m_client->errorCode(
                     m_client->call(QStringLiteral("GravaInfBensCiap"),
                                    {Company, "6", Tax, "2024-03-01", "I", "111", "987654"})),
                 -32000);
    }

    void delBensComp() {
        int row = -1;
        DataPacket p = createAndList(Tax, "111", "01/2024", &row);
        api().load(p, row, "BEM");
        QJsonArray args{Company, Tax, "01/2024", CiapApi::value(p, row, "NRSEQCIAP").toString()};
        QVERIFY(m_client->call(QStringLiteral("delBensComp"), args).value("result").isNull());
        p = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(p, row, "ITEMEXISTE").toDouble(), 0.0);
        QCOMPARE(CiapApi::value(p, row, "VRSALDOPARCCIAP").toDouble(), 0.0);
        QCOMPARE(CiapApi::value(p, row, "VRCREDAPROPCIAP").toDouble(), 0.0);
        QCOMPARE(m_client->packet(QStringLiteral("getBensComp"), api().key(p, row)).rows.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestServerMethods)
#include "tst_server_methods.moc"
