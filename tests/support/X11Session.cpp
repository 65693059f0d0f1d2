#include "X11Session.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>

X11Session::~X11Session() {
    stop();
}

bool X11Session::start() {
    for (const char* tool : {"Xvfb", "openbox", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            m_error = QStringLiteral("%1 is not installed (scripts/setup.sh installs it)")
                          .arg(QString::fromLatin1(tool));
            return false;
        }
    }
    // -displayfd: the server picks a free display itself and writes its number to us.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x900x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    QByteArray number;
    const bool up = waitUntil(
        [&] {
            m_server.waitForReadyRead(50);
            number += m_server.readAllStandardOutput();
            return number.contains('\n') || m_server.state() == QProcess::NotRunning;
        },
        15000);
    if (!up || !number.contains('\n')) {
        m_error = QStringLiteral("Xvfb did not start: %1")
                      .arg(QString::fromLocal8Bit(m_server.readAllStandardError()));
        stop();
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    m_manager.setProcessEnvironment(environment(QString()));
    m_manager.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_manager.start(QStringLiteral("openbox"), {});
    // The window manager is there once it announces the desktops it manages.
    if (!waitUntil([this] { return !xdotool({QStringLiteral("get_num_desktops")}).isEmpty(); },
                   15000)) {
        m_error = QStringLiteral("openbox did not start on %1").arg(m_display);
        stop();
        return false;
    }
    return true;
}

void X11Session::stop() {
    for (QProcess* p : {&m_manager, &m_server}) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(3000)) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }
    m_display.clear();
}

QProcessEnvironment X11Session::environment(const QString& home) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!home.isEmpty()) {
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    }
    return env;
}

QString X11Session::xdotool(const QStringList& arguments) const {
    QProcess p;
    p.setProcessEnvironment(environment(QString()));
    p.start(QStringLiteral("xdotool"), arguments);
    if (!p.waitForFinished(10000) || p.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

void X11Session::keys(const QString& keySequence) const {
    xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} +
            keySequence.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

void X11Session::type(const QString& text) const {
    // "--": a text such as "-5" is no option of xdotool's.
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"),
             QStringLiteral("--"), text});
}

QStringList X11Session::windows(const QString& titlePattern) const {
    return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                    QStringLiteral("--name"), titlePattern})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool X11Session::waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(50);
    }
    return true;
}

QRect X11Session::geometry(const QString& window) const {
    const QString out = xdotool({QStringLiteral("getwindowgeometry"), window});
    static const QRegularExpression position(QStringLiteral("Position: (\\d+),(\\d+)"));
    static const QRegularExpression size(QStringLiteral("Geometry: (\\d+)x(\\d+)"));
    const auto p = position.match(out);
    const auto s = size.match(out);
    if (!p.hasMatch() || !s.hasMatch())
        return {};
    return QRect(p.captured(1).toInt(), p.captured(2).toInt(), s.captured(1).toInt(),
                 s.captured(2).toInt());
}

QImage X11Session::grab(const QRect& rect) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return screen->grabWindow(0, rect.x(), rect.y(), rect.width(), rect.height()).toImage();
}

bool X11Session::waitUntilStill(const QRect& rect, int timeoutMs) {
    QImage last;
    return waitUntil(
        [&] {
            QImage now = grab(rect);
            const bool same = !last.isNull() && now == last;
            last = std::move(now);
            return same;
        },
        timeoutMs);
}

QString X11Session::launch(QProcess& app, const QString& program, const QStringList& arguments,
                           const QString& home, int timeoutMs) const {
    app.setProcessEnvironment(environment(home));
    app.setProcessChannelMode(QProcess::ForwardedChannels);
    app.start(program, arguments);
    QString main;
    const bool up = waitUntil(
        [&] {
            main = windows(QStringLiteral("^CIAP$")).value(0);
            return !main.isEmpty() && xdotool({QStringLiteral("getactivewindow")}) == main;
        },
        timeoutMs);
    return up ? main : QString();
}

void X11Session::finish(QProcess& app) {
    if (app.state() == QProcess::NotRunning)
        return;
    app.terminate();
    if (!app.waitForFinished(5000))
        app.kill();
}

QString X11Session::waitForWindow(const QString& titlePattern, int timeoutMs) const {
    QString found;
    waitUntil(
        [&] {
            found = windows(titlePattern).value(0);
            return !found.isEmpty() && waitUntilStill(geometry(found), 3000);
        },
        timeoutMs);
    return found;
}

void X11Session::shot(const QString& name) {
    const QString dir = qEnvironmentVariable("CIAP_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        grab(QRect(0, 0, 1280, 900)).save(QDir(dir).filePath(name));
}
