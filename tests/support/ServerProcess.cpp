#include "ServerProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

ServerProcess::ServerProcess() = default;

ServerProcess::~ServerProcess() {
    if (isRunning() && !stop())
        kill();
}

QString ServerProcess::executable() {
    const QString fromEnv = qEnvironmentVariable("CIAP_SERVER_EXECUTABLE");
    return fromEnv.isEmpty() ? QStringLiteral(CIAP_SERVER_EXECUTABLE) : fromEnv;
}

bool ServerProcess::start(const QString& database, const QStringList& extraArguments,
                          int timeoutMs) {
    return begin(database, extraArguments, timeoutMs) && awaitReady(timeoutMs);
}

bool ServerProcess::begin(const QString& database, const QStringList& extraArguments,
                          int timeoutMs) {
    m_log = std::make_unique<QTemporaryFile>();
    if (!m_log->open()) {
        m_error = QStringLiteral("cannot create the log file");
        return false;
    }
    m_process.setStandardErrorFile(m_log->fileName());
    QStringList args{QStringLiteral("--database"), database, QStringLiteral("--port"),
                     QStringLiteral("0")};
    args << extraArguments;
    m_process.start(executable(), args);
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(executable(), m_process.errorString());
        return false;
    }
    return true;
}

bool ServerProcess::awaitReady(int timeoutMs) {
    static const QRegularExpression ready(QStringLiteral("^listening on (.+):(\\d+)\\s*$"));
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process.state() == QProcess::NotRunning) {
            m_error = QStringLiteral("the server exited (code %1): %2")
                          .arg(m_process.exitCode())
                          .arg(QString::fromUtf8(log()));
            return false;
        }
        m_process.waitForReadyRead(50);
        out += m_process.readAllStandardOutput();
        const qsizetype nl = out.indexOf('\n');
        if (nl >= 0) {
            const auto m = ready.match(QString::fromUtf8(out.left(nl)));
            if (!m.hasMatch()) {
                m_error = QStringLiteral("unexpected first line: %1")
                              .arg(QString::fromUtf8(out.left(nl)));
                return false;
            }
            m_host = m.captured(1);
            m_port = quint16(m.captured(2).toUInt());
            return true;
        }
    }
    m_error = QStringLiteral("the server did not get ready in %1 ms").arg(timeoutMs);
    return false;
}

bool ServerProcess::stop(int timeoutMs) {
    if (!isRunning())
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    m_process.terminate();
    if (!m_process.waitForFinished(timeoutMs)) {
        kill();
        return false;
    }
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

void ServerProcess::kill() {
    if (!isRunning())
        return;
    m_process.kill();
    m_process.waitForFinished(10000);
}

bool ServerProcess::isRunning() const {
    return m_process.state() != QProcess::NotRunning;
}

QByteArray ServerProcess::log() const {
    if (!m_log)
        return {};
    QFile f(m_log->fileName());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
