// Hostile and broken input, many clients, and a crash in the middle of a write.
#include "CiapApi.h"
#include "PacketCodec.h"
#include "ServerFixture.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QSet>
#include <QTest>
#include <QThread>
#include <thread>

using ciap::DataPacket;
using fixture::Company;
using fixture::Tax;

namespace {

// A valid call of every method; the tests bend one argument at a time.
QList<QPair<QString, QJsonArray>> validCalls() {
    return {
        {"getVerificaImposto", {Tax}},
        {"getCIAP", {Company, Tax, "2024-01-01", "2024-12-31", "Apropriado", "Pendente", "T"}},
        {"getBensComp", {"01/2024", Company, Tax, "1"}},
        {"getNrseqCiap", {Company, Tax, "2024-01-01"}},
        {"getVrParcelBemComp", {"01/2024", Company, Tax, "111"}},
        {"getCompet_Existe", {"01/2024", Company, Tax, "111"}},
        {"GravaInfBensCiap", {Company, "1", Tax, "2024-01-01", "I", "111", "1"}},
        {"VdBemParcel", {Company, Tax, "01/2024", "1", "111"}},
        {"delBensComp", {Company, Tax, "01/2024", "1"}},
        {"CarregaImpostoNFBemParcela", {"01/2024", Company, Tax, 0.0, "IMP", "111", "1"}},
        {"Apropriar", {Company, Tax, "01/2024", 0.0, "1"}},
        {"cancelaApropriacao", {Company, "1", "2024-01-01", Tax}},
        {"getInscEsta", {Company, "T", ""}},
    };
}

const QStringList hostileTexts{
    QStringLiteral("'; DROP TABLE EMPRESA; --"),
    QStringLiteral("O'Brien \"x\" \\ /*"),
    QStringLiteral("1' OR '1'='1"),
    QStringLiteral("\u0000\u001f\n\r\t"),
    QStringLiteral("ÇÃÉ 漢字 😀"),
    QString(5000, QLatin1Char('9')),
};

} // namespace

class TestServerRobustness : public QObject {
    Q_OBJECT

private:
    ServerFixture m_fx;
    std::unique_ptr<RpcTestClient> m_client;

    bool alive() {
        auto c = m_fx.connect();
        return c &&
               c->result(QStringLiteral("getVerificaImposto"), {Tax}).toArray() ==
                   QJsonArray{"01"} &&
               m_fx.db.scalar(QStringLiteral("SELECT COUNT(*) FROM EMPRESA")).toInt() == 2;
    }

private Q_SLOTS:
    void initTestCase() {
        const ServerFixture::Start started = m_fx.start();
        if (started == ServerFixture::Start::Skipped)
            QSKIP(qPrintable(m_fx.error));
        QVERIFY2(started == ServerFixture::Start::Ready, qPrintable(m_fx.error));
    }
    void init() {
        if (!m_fx.server.isRunning())
            QVERIFY2(m_fx.server.start(m_fx.db.location()), qPrintable(m_fx.server.error()));
        m_client = m_fx.reset();
        QVERIFY(m_client);
    }

    void wrongArgumentCountOrType() {
        for (const auto& [method, args] : validCalls()) {
            QJsonArray fewer = args;
            fewer.removeLast();
            QJsonObject r = m_client->call(method, fewer);
            QCOMPARE(m_client->errorCode(r), -32602);
            QVERIFY2(m_client->errorMessage(r).contains(method),
                     qPrintable(m_client->errorMessage(r)));
            for (int i = 0; i < args.size(); ++i) {
                QJsonArray wrong = args;
                wrong[i] = args.at(i).isString() ? QJsonValue(QJsonArray{1})
                                                 : QJsonValue(QStringLiteral("x"));
                r = m_client->call(method, wrong);
                QCOMPARE(m_client->errorCode(r), -32602);
                QVERIFY2(
                    m_client->errorMessage(r).contains(QStringLiteral("argumento %1").arg(i + 1)),
                    qPrintable(m_client->errorMessage(r)));
            }
        }
        QCOMPARE(
            m_client->errorCode(m_client->call(QStringLiteral("setCiap"), {QJsonObject{{"x", 1}}})),
            -32602);
        QCOMPARE(m_client->errorCode(m_client->call(QStringLiteral("setCiap"), {"delta"})), -32602);
    }

    // Quotes, SQL and control characters in every text argument are data, never SQL.
    void hostileTextInEveryArgument() {
        api().create(Company, Tax, "111", "01/2024");
        for (const auto& [method, args] : validCalls()) {
            for (int i = 0; i < args.size(); ++i) {
                if (!args.at(i).isString())
                    continue;
                for (const QString& evil : hostileTexts) {
                    QJsonArray bent = args;
                    bent[i] = evil;
                    const QJsonObject r = m_client->call(method, bent);
                    const int code = m_client->errorCode(r);
                    QVERIFY2(r.contains(QStringLiteral("result")) || code == -32000 ||
                                 code == -32602,
                             qPrintable(
                                 QStringLiteral("%1 arg %2: %3").arg(method).arg(i + 1).arg(code)));
                }
            }
        }
        // The text fields of a delta are data too.
        for (const QString& evil : hostileTexts) {
            const QString seq = api().newSequence(Company, Tax, QDate(2024, 6, 1));
            for (const auto& delta : {api().insertion(Company, Tax, evil, "06/2024", 0, 0, seq),
                                      api().insertion(Company, Tax, "111", evil, 0, 0, seq),
                                      api().insertion(evil, Tax, "111", "06/2024", 0, 0, seq)}) {
                const int code = m_client->errorCode(api().apply(delta));
                QVERIFY2(code == -32000 || code == -32602, qPrintable(QString::number(code)));
            }
        }
        QVERIFY(alive());
        QCOMPARE(api().list(Company, Tax).rows.size(), 1);
    }

    void quotedRegistrationStoredLiterally() {
        const QString reg = QStringLiteral("O'Brien \"x\"");
        QJsonObject r = api().create(Company, Tax, reg, "01/2024");
        QVERIFY2(r.contains(QStringLiteral("result")), qPrintable(m_client->errorMessage(r)));
        const DataPacket p = api().list(Company, Tax, QStringLiteral("o'brien \"X\""));
        QCOMPARE(p.rows.size(), 1);
        QCOMPARE(CiapApi::value(p, 0, "CDINSCESTA").toString(), reg);
        QVERIFY(
            CiapApi::value(p, 0, "NOME").toString().endsWith(QLatin1String("IE O'Brien \"x\"")));
    }

    void malformedFramesKeepTheConnection_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("code");
        QTest::newRow("not json") << QByteArray("hello") << -32700;
        QTest::newRow("truncated") << QByteArray("{\"jsonrpc\":\"2.0\",\"method\":") << -32700;
        QTest::newRow("array") << QByteArray("[1,2]") << -32600;
        QTest::newRow("no method") << QByteArray("{\"jsonrpc\":\"2.0\",\"id\":1}") << -32600;
        QTest::newRow("named params") << QByteArray("{\"jsonrpc\":\"2.0\",\"method\":\"MZR02400."
                                                    "rdmCIAP.getCIAP\",\"params\":{},\"id\":1}")
                                      << -32602;
        QTest::newRow("unknown method") << QByteArray("{\"jsonrpc\":\"2.0\",\"method\":\"MZR02400."
                                                      "rdmCIAP.dropAll\",\"params\":[],\"id\":1}")
                                        << -32601;
        QTest::newRow("unknown object")
            << QByteArray(
                   "{\"jsonrpc\":\"2.0\",\"method\":\"Other.rdm.getCIAP\",\"params\":[],\"id\":1}")
            << -32601;
        QTest::newRow("deep nesting") << QByteArray(100000, '[') << -32700;
        QTest::newRow("invalid utf-8")
            << QByteArray("{\"jsonrpc\":\"2.0\",\"method\":\"\xff\xfe\",\"id\":1}") << -32700;
    }
    void malformedFramesKeepTheConnection() {
        QFETCH(QByteArray, frame);
        QFETCH(int, code);
        const QJsonObject r = m_client->raw(frame + '\n');
        QCOMPARE(m_client->errorCode(r), code);
        QCOMPARE(m_client->result(QStringLiteral("getVerificaImposto"), {Tax}).toArray(),
                 QJsonArray{"01"});
    }

    void notificationGetsNoReply() {
        m_client->send("{\"jsonrpc\":\"2.0\",\"method\":\"MZR02400.rdmCIAP.getVerificaImposto\","
                       "\"params\":[\"07\"]}\n");
        const QJsonObject r =
            m_client->call(QStringLiteral("getVerificaImposto"), {fixture::WholeTax});
        QCOMPARE(r.value(QStringLiteral("result")).toArray(), QJsonArray{"50"});
    }

    void oversizedFrameClosesOnlyThatConnection() {
        ServerProcess small;
        QVERIFY2(small.start(m_fx.db.location(),
                             {QStringLiteral("--max-frame-mib"), QStringLiteral("1")}),
                 qPrintable(small.error()));
        RpcTestClient big;
        QVERIFY(big.connectTo(small.host(), small.port()));
        big.send(QByteArray(2 * 1024 * 1024, 'a'));
        const QJsonObject r = big.readReply(10000);
        QCOMPARE(big.errorCode(r), -32600);
        QVERIFY(big.errorMessage(r).contains(QLatin1String("1 MiB")));
        QVERIFY(big.socket().state() == QAbstractSocket::UnconnectedState ||
                big.socket().waitForDisconnected(5000));
        RpcTestClient other;
        QVERIFY(other.connectTo(small.host(), small.port()));
        QCOMPARE(other.result(QStringLiteral("getVerificaImposto"), {Tax}).toArray(),
                 QJsonArray{"01"});
        QVERIFY(small.stop());
    }

    void tokenIsRequiredWhenSet() {
        ServerProcess guarded;
        QVERIFY2(guarded.start(m_fx.db.location(),
                               {QStringLiteral("--token"), QStringLiteral("s3cret-s3cret-s3")}),
                 qPrintable(guarded.error()));
        for (const QString& token :
             {QString(), QStringLiteral("wrong"), QStringLiteral("s3cret-s3cret-s3")}) {
            RpcTestClient c;
            c.setToken(token);
            QVERIFY(c.connectTo(guarded.host(), guarded.port()));
            const QJsonObject r = c.call(QStringLiteral("getVerificaImposto"), {Tax});
            QCOMPARE(c.errorCode(r), token == QLatin1String("s3cret-s3cret-s3") ? 0 : -32002);
        }
        QVERIFY(guarded.stop());
    }

    void connectionLimit() {
        ServerProcess limited;
        QVERIFY2(limited.start(m_fx.db.location(),
                               {QStringLiteral("--max-connections"), QStringLiteral("2")}),
                 qPrintable(limited.error()));
        auto first = std::make_unique<RpcTestClient>();
        RpcTestClient second;
        for (RpcTestClient* c : {first.get(), &second}) {
            QVERIFY(c->connectTo(limited.host(), limited.port()));
            QCOMPARE(c->result(QStringLiteral("getVerificaImposto"), {Tax}).toArray(),
                     QJsonArray{"01"});
        }
        // A third may connect and wait, but its first call finds no slot and it is closed.
        RpcTestClient third;
        QVERIFY(third.connectTo(limited.host(), limited.port()));
        QCOMPARE(third.errorCode(third.call(QStringLiteral("getVerificaImposto"), {Tax})), -32000);
        QVERIFY(third.socket().state() == QAbstractSocket::UnconnectedState ||
                third.socket().waitForDisconnected(5000));
        first.reset(); // a place becomes free once a client leaves
        QTest::qWait(200);
        RpcTestClient fourth;
        QVERIFY(fourth.connectTo(limited.host(), limited.port()));
        QCOMPARE(fourth.result(QStringLiteral("getVerificaImposto"), {Tax}).toArray(),
                 QJsonArray{"01"});
        QVERIFY(limited.stop());
    }

    // Many screens asking for numbers and posting at once: every number once, every post kept.
    void concurrentWriters() {
        constexpr int Clients = 6;
        constexpr int Each = 15;
        std::vector<QStringList> numbers(Clients);
        std::vector<int> failures(Clients, 0);
        std::vector<std::thread> threads;
        for (int i = 0; i < Clients; ++i) {
            threads.emplace_back([&, i] {
                RpcTestClient c;
                if (!c.connectTo(m_fx.server.host(), m_fx.server.port())) {
                    failures[i] = Each;
                    return;
                }
                CiapApi a(c);
                for (int k = 0; k < Each; ++k) {
                    const QString month = QStringLiteral("%1/%2")
                                              .arg(k % 12 + 1, 2, 10, QLatin1Char('0'))
                                              .arg(2030 + i * 2 + k / 12);
                    const QString seq = a.newSequence(Company, Tax, QDate(2030, 1, 1));
                    numbers[i] << seq;
                    if (!a.apply(a.insertion(Company, Tax, "111", month, 0, 0, seq))
                             .contains(QStringLiteral("result")))
                        ++failures[i];
                }
            });
        }
        for (auto& t : threads)
            t.join();
        QStringList all;
        for (int i = 0; i < Clients; ++i) {
            QCOMPARE(failures[i], 0);
            all << numbers[i];
        }
        QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), Clients * Each);
        QCOMPARE(api().list(Company, Tax).rows.size(), Clients * Each);
    }

    // A client that stalls mid-frame, or asks and never reads, holds no one else up.
    void slowClientsDoNotBlockOthers() {
        m_fx.db.addManyAssets(20000);
        api().create(Company, Tax, "111", "01/2024");
        DataPacket p = api().list(Company, Tax);
        QCOMPARE(m_client->errorCode(api().load(p, 0, "BEM")), 0);
        RpcTestClient stalled;
        QVERIFY(stalled.connectTo(m_fx.server.host(), m_fx.server.port()));
        stalled.send("{\"jsonrpc\":\"2.0\",\"method\":\"MZR02400.rdm");
        RpcTestClient greedy;
        QVERIFY(greedy.connectTo(m_fx.server.host(), m_fx.server.port()));
        const QByteArray ask = QJsonDocument(QJsonObject{{"jsonrpc", "2.0"},
                                                         {"id", 1},
                                                         {"method", "MZR02400.rdmCIAP.getBensComp"},
                                                         {"params", api().key(p, 0)}})
                                   .toJson(QJsonDocument::Compact) +
                               '\n';
        for (int i = 0; i < 10; ++i)
            greedy.send(ask);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 20; ++i)
            QCOMPARE(m_client->result(QStringLiteral("getVerificaImposto"), {Tax}).toArray(),
                     QJsonArray{"01"});
        QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
    }

    // kill -9 while a month's load is being written: after a restart the month holds all of
    // the load or none of it, and its figures agree with what it holds.
    void killDuringLargeLoad_data() {
        QTest::addColumn<int>("delayMs");
        QTest::newRow("early") << 50;
        QTest::newRow("later") << 600;
        QTest::newRow("after the answer") << -1; // what was committed survives the kill
    }
    void killDuringLargeLoad() {
        QFETCH(int, delayMs);
        const int Many =
            m_fx.db.isPostgres() ? 30000 : 120000; // enough to be mid-write when killed
        m_fx.db.addManyAssets(Many);
        api().create(Company, Tax, "111", "01/2024");
        const DataPacket p = api().list(Company, Tax);
        const QJsonObject ask{{"jsonrpc", "2.0"},
                              {"id", 1},
                              {"method", "MZR02400.rdmCIAP.CarregaImpostoNFBemParcela"},
                              {"params", QJsonArray{"01/2024", Company, Tax, 0.0, "BEM", "111",
                                                    CiapApi::value(p, 0, "NRSEQCIAP").toString()}}};
        m_client->send(QJsonDocument(ask).toJson(QJsonDocument::Compact) + '\n');
        if (delayMs < 0)
            QCOMPARE(m_client->errorCode(m_client->readReply(120000)), 0);
        else
            QThread::msleep(delayMs);
        m_fx.server.kill();
        QVERIFY2(m_fx.server.start(m_fx.db.location()), qPrintable(m_fx.server.error()));
        m_client = m_fx.connect();
        const DataPacket after = api().list(Company, Tax);
        QCOMPARE(after.rows.size(), 1);
        const int loaded = m_fx.db.scalar(QStringLiteral("SELECT COUNT(*) FROM CIAPBEM")).toInt();
        qInfo("after kill at %d ms: %d assets loaded", delayMs, loaded);
        QVERIFY2(loaded == 0 || loaded == Many + 4, qPrintable(QString::number(loaded)));
        if (delayMs < 0)
            QCOMPARE(loaded, Many + 4);
        QCOMPARE(CiapApi::value(after, 0, "ITEMEXISTE").toInt(), loaded);
        QCOMPARE(CiapApi::value(after, 0, "VRSALDOPARCCIAP").toDouble() > 0, loaded > 0);
    }

    // SIGTERM while a month's load runs. With time enough the load finishes, its answer
    // arrives and the process ends cleanly; a call that cannot finish within the shutdown time
    // (here it waits for a lock the test holds) is cut off with the process, which ends in
    // bounded time and leaves nothing of it behind.
    void stopWhileACallRuns_data() {
        QTest::addColumn<bool>("blocked");
        QTest::newRow("the call finishes") << false;
        QTest::newRow("the call outlasts the shutdown time") << true;
    }
    void stopWhileACallRuns() {
        QFETCH(bool, blocked);
        const int Many = m_fx.db.isPostgres() ? 30000 : 120000;
        m_fx.db.addManyAssets(Many);
        api().create(Company, Tax, "111", "01/2024");
        const QString sequence =
            CiapApi::value(api().list(Company, Tax), 0, "NRSEQCIAP").toString();
        ServerProcess stopping;
        QVERIFY2(stopping.start(m_fx.db.location(), {"--shutdown-timeout-s", blocked ? "1" : "60"}),
                 qPrintable(stopping.error()));
        RpcTestClient c;
        QVERIFY(c.connectTo(stopping.host(), stopping.port()));
        if (blocked)
            m_fx.db.holdWriteLock();
        c.send(QJsonDocument(QJsonObject{{"jsonrpc", "2.0"},
                                         {"id", 1},
                                         {"method", "MZR02400.rdmCIAP.CarregaImpostoNFBemParcela"},
                                         {"params", QJsonArray{"01/2024", Company, Tax, 0.0, "BEM",
                                                               "111", sequence}}})
                   .toJson(QJsonDocument::Compact) +
               '\n');
        QThread::msleep(300);
        QElapsedTimer t;
        t.start();
        const bool clean = stopping.stop(30000);
        const qint64 ms = t.elapsed();
        if (blocked)
            m_fx.db.releaseWriteLock();
        const int loaded = m_fx.db.scalar(QStringLiteral("SELECT COUNT(*) FROM CIAPBEM")).toInt();
        if (blocked) {
            QVERIFY(!clean);
            QCOMPARE(stopping.exitCode(), 3);
            QVERIFY2(ms < 4000, qPrintable(QString::number(ms)));
            QCOMPARE(loaded, 0);
            QVERIFY(stopping.log().contains("calls still running after 1 s"));
        } else {
            QVERIFY2(clean, stopping.log().constData());
            QCOMPARE(c.errorCode(c.readReply(5000)), 0);
            QCOMPARE(loaded, Many + 4);
        }
        const DataPacket after = api().list(Company, Tax);
        QCOMPARE(CiapApi::value(after, 0, "ITEMEXISTE").toInt(), loaded);
    }

    // A database that refuses: the log says why in the driver's words, with its code, and the
    // user is told in plain words. On PostgreSQL the database has run out of connections; a
    // call after one frees up works again, and retrying leaves no connection-name warnings.
    void storageFailureIsLoggedWithItsReason() {
        if (!m_fx.db.isPostgres()) {
            qputenv("CIAP_SQLITE_DRILL", "query_only=ON");
            ServerProcess readOnly;
            const bool started = readOnly.start(m_fx.db.location());
            qunsetenv("CIAP_SQLITE_DRILL");
            QVERIFY2(started, qPrintable(readOnly.error()));
            RpcTestClient c;
            QVERIFY(c.connectTo(readOnly.host(), readOnly.port()));
            QCOMPARE(c.errorCode(CiapApi(c).create(Company, Tax, "111", "01/2024")), -32000);
            QVERIFY(readOnly.stop());
            QVERIFY2(readOnly.log().contains("attempt to write a readonly database (code 8)"),
                     readOnly.log().constData());
            return;
        }
        const QString name =
            QStringLiteral("ciap_limit_%1").arg(QCoreApplication::applicationPid());
        m_fx.db.execUnprepared(QStringLiteral("CREATE DATABASE %1 CONNECTION LIMIT 2").arg(name));
        QUrl url(qEnvironmentVariable("CIAP_TEST_PG_URL"));
        url.setPath(QLatin1Char('/') + name);
        ServerProcess limited;
        QVERIFY2(limited.start(url.toString()), qPrintable(limited.error()));
        std::vector<std::unique_ptr<RpcTestClient>> clients;
        int refused = 0;
        for (int i = 0; i < 4; ++i) {
            clients.push_back(std::make_unique<RpcTestClient>());
            QVERIFY(clients.back()->connectTo(limited.host(), limited.port()));
            const QJsonObject r =
                clients.back()->call(QStringLiteral("getInscEsta"), {Company, "T", ""});
            if (r.contains(QStringLiteral("error"))) {
                QVERIFY2(clients.back()->errorMessage(r).contains(QLatin1String("ocupado")),
                         qPrintable(clients.back()->errorMessage(r)));
                ++refused;
            }
        }
        QVERIFY(refused >= 2);
        clients.front().reset(); // its database connection goes with it
        QTRY_VERIFY(clients.back()
                        ->call(QStringLiteral("getInscEsta"), {Company, "T", ""})
                        .contains(QStringLiteral("result")));
        clients.clear();
        QVERIFY(limited.stop());
        m_fx.db.execUnprepared(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(name));
        const QByteArray log = limited.log();
        QVERIFY2(log.contains("getInscEsta failed: in open: ") &&
                     log.contains("too many connections for database"),
                 log.constData());
        QVERIFY2(!log.contains("QSqlDatabase"), log.constData());
    }

    void oneLogLinePerCallWithoutValues() {
        api().create(Company, Tax, "111", "01/2024", 1234.5, 678.25);
        api().list(Company, Tax);
        m_client->call(QStringLiteral("nope"), {});
        const QString log = QString::fromUtf8(m_fx.server.log());
        QVERIFY(log.contains(
            QRegularExpression(QStringLiteral("ciap.server.rpc: getCIAP [0-9.]+ ms ok"))));
        QVERIFY(log.contains(
            QRegularExpression(QStringLiteral("ciap.server.rpc: setCiap [0-9.]+ ms ok"))));
        QVERIFY(log.contains(
            QRegularExpression(QStringLiteral("rdmCIAP.nope [0-9.]+ ms error -32601"))));
        for (const char* secret : {"1234.5", "678.25", "EMPRESA TESTE", "111"})
            QVERIFY2(!log.contains(QLatin1String(secret)), secret);
    }

private:
    CiapApi api() { return CiapApi(*m_client); }
};

QTEST_GUILESS_MAIN(TestServerRobustness)
#include "tst_server_robustness.moc"
