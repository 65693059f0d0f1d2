#include "EmbeddedServer.h"
#include "HostErrors.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

// A host that dies without stopping its embedded server (a crash, a kill) must not leave the
// server running behind it: the next start would meet a stranger on the same database, and the
// user a process nobody stops.
class tst_AppCrash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void embeddedServerGoesWithACrashedHost_data();
    void embeddedServerGoesWithACrashedHost();
};

namespace {

// Alive and not a zombie waiting to be reaped. Asked of the system, not of the server: a
// connection would make an orphan write to its dead host's pipe and die of that alone.
bool running(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    return end > 0 && line.size() > end + 2 && line.at(end + 2) != 'Z' && line.at(end + 2) != 'X';
}

// The host's part, run in a child process: start the embedded server, say where it listens,
// then die the given way.
int runCrashingHost(const QString& database, const QString& how) {
    EmbeddedServer server;
    try {
        server.start(database);
    } catch (const EHostError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 3;
    }
    std::printf("pid %lld\n", server.processId());
    std::fflush(stdout);
    if (how == QLatin1String("abort")) {
        // Only once the test has seen the server running: aborting straight away let the
        // server go before the test could look, which failed the test for the right outcome.
        char go[8];
        if (std::fgets(go, sizeof go, stdin))
            std::abort();
        return 5;
    }
    // "hang": wait to be killed.
    QTest::qWait(60000);
    return 4;
}

} // namespace

void tst_AppCrash::embeddedServerGoesWithACrashedHost_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("abort") << "abort";
    QTest::newRow("killed") << "hang";
}

void tst_AppCrash::embeddedServerGoesWithACrashedHost() {
    QFETCH(QString, how);
    qputenv("CIAP_SERVER_BIN", CIAP_SERVER_FILE);
    QTemporaryDir dir;
    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--crashing-host"), dir.filePath(QStringLiteral("ciap.sqlite")), how});
    QVERIFY(host.waitForStarted());
    QByteArray out;
    while (!out.contains('\n') && host.waitForReadyRead(30000))
        out += host.readAllStandardOutput();
    QVERIFY2(out.startsWith("pid "), out.constData());
    const qint64 pid = out.mid(4).trimmed().toLongLong();
    QVERIFY(pid > 0);
    QVERIFY(running(pid));
    if (how == QLatin1String("hang"))
        host.kill();
    else
        host.write("go\n");
    QVERIFY(host.waitForFinished(30000));
    QCOMPARE(host.exitStatus(), QProcess::CrashExit);
    QTRY_VERIFY_WITH_TIMEOUT(!running(pid), 10000);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String("--crashing-host"))
        return runCrashingHost(arguments.at(2), arguments.at(3));
    tst_AppCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app_crash.moc"
