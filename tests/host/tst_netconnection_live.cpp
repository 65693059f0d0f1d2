// The connection against the real server: TLS with good and bad certificates in the words the
// user reads, and a connection the server closed (not authenticated in time, or idle) opened
// again by the next call without the user noticing.
#include "HostServices.h"
#include "HostSettings.h"
#include "JsonRpc.h"
#include "ServerProcess.h"
#include "TNetConnection.h"
#include "TestCertificates.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

ciap::RpcReply replyOf(const QVariant& raw) {
    return raw.value<ciap::RpcReply>();
}

} // namespace

class TestNetConnectionLive : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestCertificates m_certificates;
    ServerProcess m_server;
    std::unique_ptr<TNetConnection> m_net;
    int m_connects = 0;

    bool startServer(const QStringList& arguments) {
        m_server.stop();
        return m_server.start(m_dir.filePath(QStringLiteral("live.db")),
                              QStringList{QStringLiteral("--demo")} + arguments);
    }
    QStringList tlsArguments(bool rightName = true) const {
        return {QStringLiteral("--tls-cert"),
                rightName ? m_certificates.serverCertificate()
                          : m_certificates.wrongNameCertificate(),
                QStringLiteral("--tls-key"),
                rightName ? m_certificates.serverKey() : m_certificates.wrongNameKey()};
    }
    ciap::RpcReply call() {
        return replyOf(m_net->Call(QStringLiteral("getVerificaImposto"), {"01"}));
    }

private Q_SLOTS:
    void initTestCase() {
        QString error;
        QVERIFY2(m_certificates.create(&error), qPrintable(error));
    }
    void init() {
        HostSettings::clearOverrides();
        m_net = std::make_unique<TNetConnection>();
        m_net->SetServerName(QStringLiteral("MZR02400.rdmCIAP"));
        m_connects = 0;
        // As the screen does: the address from the host's settings at every connect.
        m_net->BeforeConnect = [this](TNetConnection& c) {
            ++m_connects;
            c.SetHost(WebURL());
            c.SetPort(WebPort());
        };
    }
    void cleanup() {
        m_net.reset();
        HostSettings::clearOverrides();
    }

    void tls_data() {
        QTest::addColumn<bool>("serverTls");
        QTest::addColumn<bool>("rightName");
        QTest::addColumn<bool>("clientTls");
        QTest::addColumn<QString>("caFile");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("says"); // empty: answered
        const TestCertificates& c = m_certificates;
        QTest::newRow("trusted CA") << true << true << true << c.caFile() << "localhost"
                                    << "";
        QTest::newRow("trusted CA, by address") << true << true << true << c.caFile() << "127.0.0.1"
                                                << "";
        QTest::newRow("another CA") << true << true << true << c.otherCaFile() << "localhost"
                                    << "não foi emitido por uma autoridade certificadora confiável";
        QTest::newRow("system store") << true << true << true << ""
                                      << "localhost"
                                      << "não foi emitido por uma autoridade certificadora "
                                         "confiável";
        QTest::newRow("another name") << true << false << true << c.caFile() << "localhost"
                                      << "o certificado não é do servidor \"localhost\"";
        QTest::newRow("CA file without a certificate")
            << true << true << true << c.file("server.ext") << "localhost"
            << "não contém o certificado de uma autoridade certificadora";
        QTest::newRow("plain text to TLS") << true << true << false << ""
                                           << "localhost"
                                           << "exige conexão segura (TLS)";
        QTest::newRow("TLS to plain text") << false << true << true << c.caFile() << "localhost"
                                           << "Não foi possível estabelecer uma conexão segura";
    }
    void tls() {
        QFETCH(bool, serverTls);
        QFETCH(bool, rightName);
        QFETCH(bool, clientTls);
        QFETCH(QString, caFile);
        QFETCH(QString, host);
        QFETCH(QString, says);
        QVERIFY2(startServer(serverTls ? tlsArguments(rightName) : QStringList()),
                 qPrintable(m_server.error()));
        setWebServer(host, m_server.port());
        setWebTls(clientTls, caFile);
        const ciap::RpcReply r = call();
        if (says.isEmpty()) {
            QVERIFY2(!r.isError, qPrintable(r.errorMessage));
            QVERIFY(m_net->Connected());
        } else {
            QVERIFY(r.isError);
            QVERIFY2(r.errorMessage.contains(says), qPrintable(r.errorMessage));
            if (r.errorMessage.contains(QLatin1String("certificado que foi recusado")))
                QTRY_VERIFY(
                    m_server.log().contains("TLS handshake failed")); // and the server says so
        }
    }

    // The screen connects when it opens and calls when the user acts, maybe minutes later;
    // meanwhile the server closed the connection for not authenticating, then for idling.
    void closedByTheServerIsOpenedAgain() {
        QVERIFY2(startServer(tlsArguments() +
                             QStringList{"--auth-timeout-s", "1", "--idle-timeout-s", "1"}),
                 qPrintable(m_server.error()));
        setWebServer(QStringLiteral("localhost"), m_server.port());
        setWebTls(true, m_certificates.caFile());
        QVERIFY(m_net->Open());
        QTest::qWait(1500);
        ciap::RpcReply r = call();
        QVERIFY2(!r.isError, qPrintable(r.errorMessage));
        QCOMPARE(m_connects, 2);
        QTest::qWait(1500);
        r = call();
        QVERIFY2(!r.isError, qPrintable(r.errorMessage));
        QCOMPARE(m_connects, 3);
        QVERIFY(m_server.stop());
        const QByteArray log = m_server.log();
        QVERIFY(log.contains("not authenticated within 1000 ms"));
        QVERIFY(log.contains("idle for 1 s, closing"));
        QVERIFY2(!log.contains("TLS handshake failed"), log.constData());
    }
};

QTEST_MAIN(TestNetConnectionLive)
#include "tst_netconnection_live.moc"
