// The process as an operator meets it: options, start-up refusals, demo data, clean stop.
#include "CiapApi.h"
#include "DemoData.h"
#include "Month.h"
#include "ServerProcess.h"
#include "TestCertificates.h"

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using ciap::DataPacket;

class TestServerProcess : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestCertificates m_certificates;

    QString dbPath(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    static int run(const QStringList& args, QByteArray* err,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(ServerProcess::executable(), args);
        if (!p.waitForFinished(15000)) {
            p.kill();
            p.waitForFinished();
            return -1;
        }
        *err = p.readAllStandardError();
        return p.exitCode();
    }

private Q_SLOTS:
    void initTestCase() {
        QString error;
        QVERIFY2(m_certificates.create(&error), qPrintable(error));
    }

    void refusals_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QTest::newRow("no database") << QStringList{} << 2 << "--database is required";
        QTest::newRow("open to the network without token")
            << QStringList{"--database", "x.db", "--host", "0.0.0.0"} << 2 << "without a token";
        QTest::newRow("bad URL") << QStringList{"--database", "postgresql://"} << 2 << "postgresql";
        QTest::newRow("bad schema")
            << QStringList{"--database", "postgresql://u@h/db?schema=x;drop"} << 2 << "schema";
        QTest::newRow("';' in a TLS file of PostgreSQL")
            << QStringList{"--database", "postgresql://u@h/db?sslrootcert=/a;b"} << 2 << "';'";
        const TestCertificates& c = m_certificates;
        QTest::newRow("key of another certificate")
            << QStringList{"--database",          "x.db",      "--tls-cert",
                           c.serverCertificate(), "--tls-key", c.wrongNameKey()}
            << 2 << "does the key belong to the certificate?";
        QTest::newRow("no certificate file")
            << QStringList{"--database",       "x.db",      "--tls-cert",
                           "/nonexistent.pem", "--tls-key", c.serverKey()}
            << 2 << "--tls-cert: cannot read /nonexistent.pem";
        QTest::newRow("unreadable file")
            << QStringList{"--database", "/proc/nope/x.db"} << 1 << "cannot prepare";
    }
    void refusals() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        QByteArray err;
        QCOMPARE(run(arguments, &err), exitCode);
        QVERIFY2(QString::fromUtf8(err).contains(says), err.constData());
    }

    void busyPort() {
        QTcpServer taken;
        QVERIFY(taken.listen(QHostAddress::LocalHost, 0));
        QByteArray err;
        QCOMPARE(
            run({"--database", dbPath("busy.db"), "--port", QString::number(taken.serverPort())},
                &err),
            1);
        QVERIFY(err.contains("cannot listen"));
    }

    void tokenFromEnvironmentAllowsAnyAddress() {
        ServerProcess s;
        qputenv("CIAP_SERVER_TOKEN", "t0k-of-16-chars!");
        const bool started =
            s.start(dbPath("open.db"), {QStringLiteral("--host"), QStringLiteral("0.0.0.0"),
                                        QStringLiteral("--allow-plaintext")});
        qunsetenv("CIAP_SERVER_TOKEN");
        QVERIFY2(started, qPrintable(s.error()));
        RpcTestClient c;
        c.setToken(QStringLiteral("t0k-of-16-chars!"));
        QVERIFY(c.connectTo(QStringLiteral("127.0.0.1"), s.port()));
        QCOMPARE(c.result(QStringLiteral("getInscEsta"), {"01", "T", ""})
                     .toObject()
                     .value("rows")
                     .toArray()
                     .size(),
                 0);
        QVERIFY(s.stop());
    }

    void demoLooksCurrentAndStopsCleanly() {
        ServerProcess s;
        QVERIFY2(s.start(dbPath("demo.db"), {QStringLiteral("--demo")}), qPrintable(s.error()));
        RpcTestClient c;
        QVERIFY(c.connectTo(s.host(), s.port()));
        CiapApi api(c);
        const DataPacket list = api.list("01", "01");
        QCOMPARE(list.rows.size(), 4);
        const ciap::server::Month now = ciap::server::Month::of(QDate::currentDate());
        QCOMPARE(CiapApi::value(list, 0, "COMPETENCIA").toString(), now.addMonths(-3).text());
        QCOMPARE(CiapApi::value(list, 0, "IDSITCOMPETCIAP").toString(), QStringLiteral("A"));
        for (int i = 0; i < list.rows.size(); ++i) {
            QVERIFY(CiapApi::value(list, i, "ITEMEXISTE").toInt() > 10);
            QVERIFY(CiapApi::value(list, i, "VRCREDAPROPCIAP").toDouble() > 0);
        }
        // This month: the asset of the first instalment and the one of the 48th are there.
        const QString month = now.text();
        for (const char* asset : {"1", "2"}) {
            const DataPacket v =
                c.packet(QStringLiteral("VdBemParcel"),
                         {"01", "01", month, asset, ciap::server::DemoData::RegistrationA});
            QCOMPARE(v.rows.size(), 1);
        }
        // The asset sold six months ago took part until then.
        QCOMPARE(c.packet(QStringLiteral("VdBemParcel"),
                          {"01", "01", month, "4", ciap::server::DemoData::RegistrationA})
                     .rows.size(),
                 0);
        QCOMPARE(c.packet(QStringLiteral("VdBemParcel"), {"01", "01", now.addMonths(-6).text(), "4",
                                                          ciap::server::DemoData::RegistrationA})
                     .rows.size(),
                 1);
        QCOMPARE(c.result(QStringLiteral("getVerificaImposto"), {"02"}).toArray(),
                 QJsonArray{"50"});
        QVERIFY(s.stop());
        QVERIFY(s.log().contains("stopped"));

        // A second --demo on the same file leaves it as it is.
        ServerProcess again;
        QVERIFY2(again.start(dbPath("demo.db"), {QStringLiteral("--demo")}),
                 qPrintable(again.error()));
        RpcTestClient c2;
        QVERIFY(c2.connectTo(again.host(), again.port()));
        QCOMPARE(CiapApi(c2).list("01", "01").rows, list.rows);
        QVERIFY(again.stop());
    }
};

QTEST_GUILESS_MAIN(TestServerProcess)
#include "tst_server_process.moc"
