// Verified TLS to PostgreSQL through the postgresql:// URL, against a cluster of the test's own
// with TLS on (the shared test cluster runs without it): the options reach libpq, a trusted CA
// is accepted, another refused, and verification without a CA file fails instead of passing.
#include "ServerProcess.h"
#include "TestCertificates.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTest>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A throwaway cluster in a temporary directory. As root it runs as the postgres user, since
// PostgreSQL refuses to run as root.
class TlsCluster final {
public:
    ~TlsCluster() {
        if (m_started)
            run("pg_ctl", {"-D", m_dir.filePath("data"), "-m", "immediate", "stop"}, nullptr);
    }

    // False with the reason; skip tells whether that reason means "not possible here".
    bool start(const TestCertificates& certificates, QString* why, bool* skip) {
        *skip = true;
        const QStringList found = QDir(QStringLiteral("/usr/lib/postgresql"))
                                      .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        if (found.isEmpty()) {
            *why = QStringLiteral("no PostgreSQL server programs here");
            return false;
        }
        m_bin = QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(found.last());
        if (::geteuid() == 0) {
            const passwd* pw = ::getpwnam("postgres");
            if (!pw) {
                *why = QStringLiteral("running as root without a postgres user");
                return false;
            }
            m_owner = pw->pw_uid;
            m_group = pw->pw_gid;
        }
        *skip = false;
        for (const char* name : {"server.pem", "server.key"}) {
            const QString to = m_dir.filePath(QLatin1String(name));
            if (!QFile::copy(certificates.file(name), to) || !own(to)) {
                *why = QStringLiteral("cannot place %1").arg(QLatin1String(name));
                return false;
            }
        }
        ::chmod(QFile::encodeName(m_dir.filePath("server.key")).constData(), 0600);
        if (!own(m_dir.path()))
            return false;
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
        probe.close();
        const QString options =
            QStringLiteral("-c listen_addresses=127.0.0.1 -c port=%1 -c unix_socket_directories=%2 "
                           "-c ssl=on -c ssl_cert_file=%2/server.pem -c ssl_key_file=%2/server.key "
                           "-c fsync=off")
                .arg(port)
                .arg(m_dir.path());
        m_started = run("initdb",
                        {"-D", m_dir.filePath("data"), "-U", "ciap", "-A", "trust", "--no-sync",
                         "-E", "UTF8"},
                        why) &&
                    run("pg_ctl",
                        {"-D", m_dir.filePath("data"), "-l", m_dir.filePath("log"), "-w", "-o",
                         options, "start"},
                        why);
        return m_started;
    }

    quint16 port = 0;

private:
    bool own(const QString& path) const {
        return m_owner == uid_t(-1) ||
               ::chown(QFile::encodeName(path).constData(), m_owner, m_group) == 0;
    }
    bool run(const char* program, const QStringList& arguments, QString* why) const {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        const QString path = m_bin + QLatin1String(program);
        if (m_owner != uid_t(-1))
            p.start(QStringLiteral("runuser"),
                    QStringList{"-u", "postgres", "--", path} + arguments);
        else
            p.start(path, arguments);
        const bool ok = p.waitForFinished(60000) && p.exitCode() == 0;
        if (!ok && why)
            *why = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(p.readAll()));
        return ok;
    }

    QTemporaryDir m_dir;
    QString m_bin;
    uid_t m_owner = uid_t(-1);
    gid_t m_group = gid_t(-1);
    bool m_started = false;
};

} // namespace

class TestPostgresTls : public QObject {
    Q_OBJECT

private:
    TestCertificates m_certificates;
    std::unique_ptr<TlsCluster> m_cluster;

private Q_SLOTS:
    void initTestCase() {
        QString why;
        QVERIFY2(m_certificates.create(&why), qPrintable(why));
        m_cluster = std::make_unique<TlsCluster>();
        bool skip = false;
        if (!m_cluster->start(m_certificates, &why, &skip)) {
            if (skip)
                QSKIP(qPrintable(why));
            QFAIL(qPrintable(why));
        }
    }

    void verifiedConnection_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("refusal"); // empty: the server starts
        const TestCertificates& c = m_certificates;
        QTest::newRow("verify-full, trusted CA")
            << "sslmode=verify-full&sslrootcert=" + c.caFile() << "";
        QTest::newRow("verify-full, another CA")
            << "sslmode=verify-full&sslrootcert=" + c.otherCaFile() << "certificate verify failed";
        QTest::newRow("verify-full, no CA file")
            << "sslmode=verify-full&sslrootcert=/nonexistent%20dir/ca.pem"
            << "root certificate file \"/nonexistent dir/ca.pem\" does not exist";
        QTest::newRow("require: encrypted, not verified") << "sslmode=require"
                                                          << "";
    }
    void verifiedConnection() {
        QFETCH(QString, query);
        QFETCH(QString, refusal);
        ServerProcess server;
        const QString url =
            QStringLiteral("postgresql://ciap@localhost:%1/postgres?").arg(m_cluster->port) + query;
        const bool started = server.start(url);
        QCOMPARE(started, refusal.isEmpty());
        if (started)
            QVERIFY(server.stop());
        else
            QVERIFY2(server.error().contains(refusal), qPrintable(server.error()));
    }
};

QTEST_GUILESS_MAIN(TestPostgresTls)
#include "tst_postgres_tls.moc"
