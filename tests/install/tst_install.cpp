// cmake --install into a temporary prefix: the files land where the host application looks for
// them, the installed binaries load their libraries from the prefix (not from the build tree),
// the example unit names the installed server, and the installed host opens the screen on an
// embedded server it finds next to itself.
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString buildDir() {
    return QStringLiteral(CIAP_BUILD_DIR);
}

// The installed programs must find everything by themselves: nothing that points at the
// build tree may leak in from the test's environment.
QProcessEnvironment cleanEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"CIAP_PACKAGE", "CIAP_SERVER_BIN", "LD_LIBRARY_PATH",
                             "CIAP_SERVER_TOKEN", "QT_PLUGIN_PATH"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    return env;
}

QString dynamicSection(const QString& file) {
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), file});
    if (!readelf.waitForFinished(30000) || readelf.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(readelf.readAllStandardOutput());
}

} // namespace

class tst_Install final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void installedFiles_data();
    void installedFiles();
    void runPath_data();
    void runPath();
    void unitNamesTheInstalledServer();
    void installedServerServes();
    void installedHostOpensTheScreen();

private:
    QString path(const QString& relative) const { return m_prefix.filePath(relative); }

    QTemporaryDir m_prefix;
    QTemporaryDir m_home;
};

void tst_Install::initTestCase() {
    QVERIFY(m_prefix.isValid());
    QVERIFY(m_home.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(
        QStringLiteral(CIAP_CMAKE_COMMAND),
        {QStringLiteral("--install"), buildDir(), QStringLiteral("--prefix"), m_prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
}

void tst_Install::installedFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("executable");
    QTest::newRow("host application") << "bin/ciap" << true;
    QTest::newRow("server") << "bin/ciap-server" << true;
    QTest::newRow("register tool") << "bin/ciap-admin" << true;
    QTest::newRow("host library") << "lib/libciap_host.so" << false;
    QTest::newRow("screen package") << "lib/ciap/Pkg_mzr02400.so" << false;
    QTest::newRow("systemd unit") << "share/doc/ciap/examples/ciap-server.service" << false;
    QTest::newRow("environment file") << "share/doc/ciap/examples/ciap-server.env.example" << false;
    QTest::newRow("system user") << "share/doc/ciap/examples/ciap-server.sysusers" << false;
    QTest::newRow("password file") << "share/doc/ciap/examples/pgpass.example" << false;
    QTest::newRow("operations guide") << "share/doc/ciap/operations.md" << false;
}

void tst_Install::installedFiles() {
    QFETCH(QString, file);
    QFETCH(bool, executable);
    const QFileInfo info(path(file));
    QVERIFY2(info.isFile(), qPrintable(info.filePath()));
    QVERIFY(info.size() > 0);
    if (executable)
        QVERIFY(info.isExecutable());
}

void tst_Install::runPath_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("runPath");
    QTest::newRow("host application") << "bin/ciap"
                                      << "$ORIGIN/../lib";
    QTest::newRow("screen package") << "lib/ciap/Pkg_mzr02400.so"
                                    << "$ORIGIN/..";
}

void tst_Install::runPath() {
    QFETCH(QString, file);
    QFETCH(QString, runPath);
    if (QStandardPaths::findExecutable(QStringLiteral("readelf")).isEmpty())
        QSKIP("readelf is not installed");
    const QString dynamic = dynamicSection(path(file));
    QVERIFY(!dynamic.isEmpty());
    static const QRegularExpression entry(
        QStringLiteral(R"(\((?:RUNPATH|RPATH)\)[^\[]*\[([^\]]*)\])"));
    const QRegularExpressionMatch match = entry.match(dynamic);
    QVERIFY2(match.hasMatch(), qPrintable(dynamic));
    // Only the prefix-relative entry: a build directory there would load the build's
    // libraries as long as the build tree exists, and break once it is gone.
    QCOMPARE(match.captured(1), runPath);
}

void tst_Install::unitNamesTheInstalledServer() {
    QFile unit(path(QStringLiteral("share/doc/ciap/examples/ciap-server.service")));
    QVERIFY(unit.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(unit.readAll());
    QVERIFY2(!text.contains(QLatin1String("@CIAP_")), "a placeholder was left unconfigured");
    static const QRegularExpression exec(QStringLiteral(R"(^ExecStart=(\S+) )"),
                                         QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = exec.match(text);
    QVERIFY(match.hasMatch());
    QCOMPARE(match.captured(1), path(QStringLiteral("bin/ciap-server")));
    // The token never appears on the command line, where every local user can read it.
    QVERIFY(!match.captured(0).contains(QLatin1String("--token")));
    for (const char* line : {"User=ciap", "NoNewPrivileges=yes", "ProtectSystem=strict",
                             "EnvironmentFile=/etc/ciap/ciap-server.env"})
        QVERIFY2(text.contains(QLatin1String(line)), line);
}

void tst_Install::installedServerServes() {
    QProcess server;
    server.setProcessEnvironment(cleanEnvironment(m_home.path()));
    server.start(path(QStringLiteral("bin/ciap-server")),
                 {QStringLiteral("--database"), m_home.filePath(QStringLiteral("served.sqlite")),
                  QStringLiteral("--port"), QStringLiteral("0")});
    QVERIFY(server.waitForStarted(10000));
    QByteArray line;
    while (!line.contains('\n') && server.waitForReadyRead(20000))
        line += server.readAllStandardOutput();
    const QByteArray errors = server.readAllStandardError();
    server.terminate();
    QVERIFY(server.waitForFinished(10000));
    QVERIFY2(line.startsWith("listening on 127.0.0.1:"), errors.constData());
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
}

void tst_Install::installedHostOpensTheScreen() {
    const QString shot = m_home.filePath(QStringLiteral("screen.png"));
    QProcess host;
    host.setProcessEnvironment(cleanEnvironment(m_home.path()));
    host.setProcessChannelMode(QProcess::MergedChannels);
    host.start(path(QStringLiteral("bin/ciap")), {QStringLiteral("--screenshot"), shot});
    QVERIFY(host.waitForStarted(10000));
    const bool finished = host.waitForFinished(90000);
    if (!finished) {
        host.kill();
        host.waitForFinished(5000);
    }
    const QByteArray output = host.readAll();
    // A package or server that cannot be found ends in an error dialog that waits forever.
    QVERIFY2(finished, output.constData());
    QVERIFY2(host.exitStatus() == QProcess::NormalExit && host.exitCode() == 0, output.constData());
    // The embedded server the installed host started wrote its database where a fresh user's
    // data goes.
    QVERIFY(QFileInfo::exists(m_home.filePath(QStringLiteral("data/ciap/ciap/ciap.sqlite"))));
    const QImage picture(shot);
    QVERIFY(!picture.isNull());
    // The picture is the screen's own sub-window, not the empty host window around it.
    QVERIFY2(picture.width() < 900 && picture.height() < 640,
             qPrintable(QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height())));
}

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"
