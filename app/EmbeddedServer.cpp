#include "EmbeddedServer.h"

#include "HostErrors.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace {
constexpr qsizetype ErrorTailLimit = 4096;
}

EmbeddedServer::EmbeddedServer(QObject* parent)
    : QObject(parent) {
    connect(&m_process, &QProcess::readyReadStandardError, this,
            &EmbeddedServer::drainStandardError);
    // Past the start line nothing on stdout matters, but the pipe must not fill up.
    connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] {
        const QByteArray chunk = m_process.readAllStandardOutput();
        if (!m_listening)
            m_stdout += chunk;
    });
}

EmbeddedServer::~EmbeddedServer() {
    stop();
}

QString EmbeddedServer::findServerBinary() {
    const QString env = qEnvironmentVariable("CIAP_SERVER_BIN");
    if (!env.isEmpty())
        return QFileInfo::exists(env) ? env : QString();
    const QDir appDir(QCoreApplication::applicationDirPath());
    for (const QString& candidate : {appDir.filePath(QStringLiteral("../server/ciap-server")),
                                     appDir.filePath(QStringLiteral("ciap-server"))}) {
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}

void EmbeddedServer::drainStandardError() {
    m_errorTail += m_process.readAllStandardError();
    if (m_errorTail.size() > ErrorTailLimit)
        m_errorTail = m_errorTail.right(ErrorTailLimit);
}

void EmbeddedServer::start(const QString& databaseFile, int timeoutMs) {
    stop();
    const QString program = findServerBinary();
    if (program.isEmpty())
        throw EHostError(QStringLiteral("Servidor de aplicação (ciap-server) não encontrado."));
    m_stdout.clear();
    m_errorTail.clear();
    m_listening = false;
    m_process.setProgram(program);
#ifdef Q_OS_LINUX
    // A host that crashes or is killed runs no destructor: the kernel stops the server then,
    // or it would hold the database with nobody left to stop it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    m_process.setArguments({QStringLiteral("--database"), databaseFile, QStringLiteral("--host"),
                            QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                            QStringLiteral("0"), QStringLiteral("--demo")});
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs))
        throw EHostError(QStringLiteral("Não foi possível iniciar %1: %2")
                             .arg(program, m_process.errorString()));

    static const QRegularExpression listening(QStringLiteral("^listening on (.+):(\\d+)\\s*$"));
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        // The start line is read synchronously: the host has nothing to show before it.
        m_stdout += m_process.readAllStandardOutput();
        qsizetype newline;
        while ((newline = m_stdout.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(m_stdout.left(newline));
            m_stdout.remove(0, newline + 1);
            const QRegularExpressionMatch match = listening.match(line);
            if (match.hasMatch()) {
                m_host = match.captured(1);
                m_port = match.captured(2).toInt();
                m_listening = true;
                m_stdout.clear();
                return;
            }
        }
        if (m_process.state() != QProcess::Running)
            break;
        m_process.waitForReadyRead(
            int(qMax<qint64>(1, qMin<qint64>(deadline.remainingTime(), 200))));
    }
    drainStandardError();
    const QString words = QString::fromUtf8(m_errorTail).trimmed();
    stop();
    throw EHostError(QStringLiteral("O servidor de aplicação não iniciou.%1")
                         .arg(words.isEmpty() ? QString() : QStringLiteral("\n") + words));
}

void EmbeddedServer::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}
