// ciap.fiscal over a real server: the month's Bloco G for the host's menu item — the file in
// Base64 when the register is complete, every problem as a packet row when it is not, and the
// refusals of a month that cannot be exported.
#include "DatabaseConfig.h"
#include "EfdReader.h"
#include "PacketCodec.h"
#include "ServerFixture.h"
#include "Session.h"
#include "WorkedMonth.h"

#include <QTest>

class TestServerBlocoG : public QObject {
    Q_OBJECT

private:
    ServerFixture m_fx;
    std::unique_ptr<RpcTestClient> m_client;
    std::unique_ptr<ciap::server::DatabaseConfig> m_config;
    std::unique_ptr<ciap::server::Session> m_session;

    QJsonObject blocoG(const QString& month, const QString& tax = {}) {
        return m_client->call(QStringLiteral("ciap.fiscal.gerarBlocoG"),
                              {worked::Company, worked::Registration, month, tax});
    }

private Q_SLOTS:
    void initTestCase() {
        const ServerFixture::Start started = m_fx.start();
        if (started == ServerFixture::Start::Skipped)
            QSKIP(qPrintable(m_fx.error));
        QVERIFY2(started == ServerFixture::Start::Ready, qPrintable(m_fx.error));
        m_config = ciap::server::DatabaseConfig::fromLocation(m_fx.db.location());
        m_session = std::make_unique<ciap::server::Session>(*m_config, QStringLiteral("test"));
    }
    void init() {
        worked::buildRegister(*m_session);
        m_client = m_fx.connect();
        QVERIFY(m_client);
    }

    void theFile() {
        worked::addCompetencia(*m_session, worked::Tax, 2024, 1);
        const QJsonArray r =
            blocoG(QStringLiteral("01/2024")).value(QStringLiteral("result")).toArray();
        QCOMPARE(r.size(), 7);
        QCOMPARE(r[0].toString(), QStringLiteral("OK"));
        QCOMPARE(r[1].toString(), QStringLiteral("bloco-g-02-207165890119-202401.txt"));
        const QByteArray file = QByteArray::fromBase64(r[2].toString().toLatin1());
        QVERIFY(file.contains("|G110|01012024|31012024|4600,00|195,83|900,00|1500,00|0,60000000|"
                              "117,50|0,00|\r\n"));
        QVERIFY(ciap::efd::EfdReader::read(file).ok());
        QCOMPARE(ciap::packetFromJson(r[3]).rows.size(), 0);
        QCOMPARE(r[4].toInt(), int(file.count('\n')));
        QCOMPARE(r[5].toInt(), 6);
        QCOMPARE(r[6].toString(), worked::Tax);
    }

    void everyProblemAsARow() {
        worked::addCompetencia(*m_session, worked::Tax, 2024, 1);
        m_fx.db.exec(QStringLiteral("UPDATE BEMATIVO SET DSFUNCAO = NULL"));
        const QJsonArray r =
            blocoG(QStringLiteral("01/2024")).value(QStringLiteral("result")).toArray();
        QCOMPARE(r[0].toString(), QStringLiteral("PROBLEMAS"));
        QCOMPARE(r[2].toString(), QString());
        const ciap::DataPacket problems = ciap::packetFromJson(r[3]);
        QCOMPARE(problems.rows.size(), 4);
        const int asset = problems.indexOf(QStringLiteral("BEM"));
        const int hint = problems.indexOf(QStringLiteral("CORRECAO"));
        QCOMPARE(problems.rows[3][asset].toString(), QStringLiteral("0000000004"));
        QVERIFY(problems.rows[3][hint].toString().contains(QStringLiteral("função do bem")));
    }

    void refusals_data() {
        QTest::addColumn<QJsonArray>("params");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("a pending month")
            << QJsonArray{worked::Company, worked::Registration, "02/2024", ""} << -32000
            << "está pendente";
        QTest::newRow("no such registration") << QJsonArray{worked::Company, "999", "01/2024", ""}
                                              << -32000 << "Inscrição Estadual não cadastrada";
        QTest::newRow("not a month")
            << QJsonArray{worked::Company, worked::Registration, "2024-01", ""} << -32602
            << "MM/AAAA";
        QTest::newRow("an argument missing")
            << QJsonArray{worked::Company, worked::Registration, "01/2024"} << -32602 << "";
    }
    void refusals() {
        QFETCH(QJsonArray, params);
        QFETCH(int, code);
        QFETCH(QString, text);
        worked::addCompetencia(*m_session, worked::Tax, 2024, 2, false);
        const QJsonObject reply = m_client->call(QStringLiteral("ciap.fiscal.gerarBlocoG"), params);
        QCOMPARE(m_client->errorCode(reply), code);
        QVERIFY2(m_client->errorMessage(reply).contains(text),
                 qPrintable(m_client->errorMessage(reply)));
    }
};

QTEST_GUILESS_MAIN(TestServerBlocoG)
#include "tst_server_bloco_g.moc"
