// The server on a network it cannot trust: sockets that never authenticate, floods from one
// address, idle clients, and clients that speak the wrong one of plain text and TLS. (What
// clients make of its certificate: tst_netconnection_live.)
#include "FixtureCodes.h"
#include "ServerFixture.h"
#include "TestCertificates.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTest>
#include <memory>
#include <sys/resource.h>

namespace {

const QString Token = QStringLiteral("flood-test-token-0123");
const QHostAddress Attacker(QStringLiteral("127.0.0.2")); // Linux routes all of 127/8 to lo

QByteArray request(const QString& token) {
    return QJsonDocument(QJsonObject{{"jsonrpc", "2.0"},
                                     {"id", 1},
                                     {"method", "MZR02400.rdmCIAP.getVerificaImposto"},
                                     {"params", QJsonArray{fixture::Tax}},
                                     {"token", token}})
               .toJson(QJsonDocument::Compact) +
           '\n';
}

// Sockets from one address, each left as the row says once connected.
std::vector<std::unique_ptr<QTcpSocket>> flood(const ServerProcess& server, int count,
                                               const QByteArray& say) {
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < count; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->bind(Attacker);
        if (!say.isEmpty())
            QObject::connect(s.get(), &QTcpSocket::connected, s.get(),
                             [p = s.get(), say] { p->write(say); });
        s->connectToHost(QHostAddress::LocalHost, server.port());
        sockets.push_back(std::move(s));
    }
    QTest::qWait(1000); // connected, refused or closed by now
    return sockets;
}

int stillOpen(const std::vector<std::unique_ptr<QTcpSocket>>& sockets) {
    return int(std::count_if(sockets.begin(), sockets.end(), [](const auto& s) {
        return s->state() == QAbstractSocket::ConnectedState;
    }));
}

// The legitimate client from 127.0.0.1: connect and get the first answer; the time it took.
qint64 answeredWithin(const ServerProcess& server, const QString& token = Token) {
    QElapsedTimer t;
    t.start();
    RpcTestClient c;
    c.setToken(token);
    if (!c.connectTo(QStringLiteral("127.0.0.1"), server.port()) ||
        c.result(QStringLiteral("getVerificaImposto"), {fixture::Tax}).toArray() !=
            QJsonArray{"01"})
        return -1;
    return t.elapsed();
}

} // namespace

class TestServerNetwork : public QObject {
    Q_OBJECT

private:
    ServerFixture m_fx;
    TestCertificates m_certificates;

    bool start(ServerProcess& server, const QStringList& arguments) {
        return server.start(m_fx.db.location(), arguments);
    }

private Q_SLOTS:
    void initTestCase() {
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, 8192);
        setrlimit(RLIMIT_NOFILE, &files);
        QString error;
        QVERIFY2(m_fx.db.create(&error), qPrintable(error));
        m_fx.db.reset();
        QVERIFY2(m_certificates.create(&error), qPrintable(error));
    }

    // 1,000 sockets from one address, idle, stalled in mid-frame or asking with a wrong
    // token: the address keeps a handful of them, and a client elsewhere is answered at once.
    void floodFromOneAddress_data() {
        QTest::addColumn<QByteArray>("say");
        QTest::newRow("idle") << QByteArray();
        QTest::newRow("half a frame") << QByteArray("{\"jsonrpc\":\"2.0\",\"method\":");
        QTest::newRow("wrong token") << request(QStringLiteral("not-the-token-but-long"));
    }
    void floodFromOneAddress() {
        QFETCH(QByteArray, say);
        ServerProcess server;
        QVERIFY2(start(server, {"--token", Token}), qPrintable(server.error()));
        const auto sockets = flood(server, 1000, say);
        QVERIFY2(stillOpen(sockets) <= 16, qPrintable(QString::number(stillOpen(sockets))));
        for (int i = 0; i < 5; ++i) {
            const qint64 ms = answeredWithin(server);
            QVERIFY2(ms >= 0 && ms < 1000, qPrintable(QString::number(ms)));
        }
        QVERIFY(server.stop());
        const QByteArray log = server.log();
        QVERIFY(log.contains("refused: limit of unauthenticated connections per address"));
        QVERIFY2(!log.contains(Token.toUtf8()) && !log.contains("not-the-token"),
                 "a token reached the log");
    }

    // The case: 20 slots, and 20 sockets that never send the token. They wait apart,
    // and the client with the token gets a slot.
    void silentSocketsTakeNoSlot() {
        ServerProcess server;
        QVERIFY2(start(server, {"--token", Token, "--max-connections", "20",
                                "--max-unauthenticated-per-address", "20"}),
                 qPrintable(server.error()));
        const auto silent = flood(server, 20, QByteArray());
        QCOMPARE(stillOpen(silent), 20);
        std::vector<std::unique_ptr<RpcTestClient>> working;
        for (int i = 0; i < 20; ++i) {
            auto c = std::make_unique<RpcTestClient>();
            c->setToken(Token);
            QVERIFY(c->connectTo(QStringLiteral("127.0.0.1"), server.port()));
            QCOMPARE(c->result(QStringLiteral("getVerificaImposto"), {fixture::Tax}).toArray(),
                     QJsonArray{"01"});
            working.push_back(std::move(c));
        }
        QVERIFY(server.stop());
    }

    // Not authenticated in time: closed, whether silent or with a wrong token. Authenticated
    // and then idle past the idle time: closed too. Busy: kept.
    void deadlines() {
        ServerProcess server;
        QVERIFY2(
            start(server, {"--token", Token, "--auth-timeout-s", "1", "--idle-timeout-s", "2"}),
            qPrintable(server.error()));
        QTcpSocket silent;
        silent.connectToHost(QHostAddress::LocalHost, server.port());
        RpcTestClient wrong, idle, busy;
        wrong.setToken(QStringLiteral("not-the-token-but-long"));
        for (RpcTestClient* c : {&wrong, &idle, &busy}) {
            if (c != &wrong)
                c->setToken(Token);
            QVERIFY(c->connectTo(QStringLiteral("127.0.0.1"), server.port()));
            c->call(QStringLiteral("getVerificaImposto"), {fixture::Tax});
        }
        QElapsedTimer t;
        t.start();
        QVERIFY(silent.waitForDisconnected(3000));
        QVERIFY(wrong.socket().waitForDisconnected(3000));
        QVERIFY2(t.elapsed() < 2500, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(idle.socket().state(), QAbstractSocket::ConnectedState);
        while (t.elapsed() < 3500) {
            QCOMPARE(busy.result(QStringLiteral("getVerificaImposto"), {fixture::Tax}).toArray(),
                     QJsonArray{"01"});
            QTest::qWait(300);
        }
        QVERIFY(idle.socket().state() == QAbstractSocket::UnconnectedState ||
                idle.socket().waitForDisconnected(2000));
        QCOMPARE(busy.socket().state(), QAbstractSocket::ConnectedState);
        QVERIFY(server.stop());
    }

    // A client told the wrong one of plain text and TLS learns it at once: in words it can
    // show, when it speaks plain text to TLS; by a closed connection, the other way round.
    void wrongTransport() {
        ServerProcess tls;
        QVERIFY2(start(tls, {"--tls-cert", m_certificates.serverCertificate(), "--tls-key",
                             m_certificates.serverKey()}),
                 qPrintable(tls.error()));
        RpcTestClient plain;
        QVERIFY(plain.connectTo(QStringLiteral("127.0.0.1"), tls.port()));
        const QJsonObject r =
            plain.call(QStringLiteral("getVerificaImposto"), {fixture::Tax}, 5000);
        QCOMPARE(plain.errorCode(r), -32000);
        QVERIFY2(plain.errorMessage(r).contains(QLatin1String("TLS")),
                 qPrintable(plain.errorMessage(r)));
        QVERIFY(tls.stop());
        QVERIFY(tls.log().contains("plain text on a TLS port"));

        ServerProcess open;
        QVERIFY2(start(open, {}), qPrintable(open.error()));
        RpcTestClient encrypted;
        QElapsedTimer t;
        t.start();
        QVERIFY(!encrypted.connectEncrypted(QStringLiteral("127.0.0.1"), open.port(),
                                            m_certificates.caFile()));
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(open.stop());
        QVERIFY(open.log().contains("a TLS handshake on a port without TLS"));
    }
};

QTEST_GUILESS_MAIN(TestServerNetwork)
#include "tst_server_network.moc"
