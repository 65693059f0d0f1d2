#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// An X server of its own (Xvfb on a free display) with a window manager (openbox), for tests
// that run the real application as a user meets it and drive it with synthetic input only
// (xdotool). Started before the test's own QGuiApplication, which then runs on that display,
// so that the test can take screenshots of it.
class X11Session final {
public:
    X11Session() = default;
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    // False, with the reason in error(), when a tool is missing or the server does not come up.
    bool start();
    void stop();
    bool running() const { return !m_display.isEmpty(); }
    QString display() const { return m_display; } // ":N"
    QString error() const { return m_error; }

    // The environment of a program run on this display, its home and settings in home.
    QProcessEnvironment environment(const QString& home) const;

    // xdotool with these arguments; its standard output, trimmed (empty on failure).
    QString xdotool(const QStringList& arguments) const;
    void keys(const QString& keySequence) const; // "Tab", "alt+o", "Return"...
    void type(const QString& text) const;
    // Visible windows whose title matches the regular expression, as xdotool ids.
    QStringList windows(const QString& titlePattern) const;
    // Polls (no fixed sleep) until pred holds or timeoutMs passes.
    static bool waitUntil(const std::function<bool()>& pred, int timeoutMs);
    // Geometry of a window's contents on the screen.
    QRect geometry(const QString& window) const;
    // What the screen shows in that rectangle now.
    static QImage grab(const QRect& rect);
    // Polls until the rectangle shows the same picture twice in a row: painting is through.
    static bool waitUntilStill(const QRect& rect, int timeoutMs);

    // The real application started on this display with its home in home; the id of its main
    // window once that is up and active, empty when it did not come up within timeoutMs.
    QString launch(QProcess& app, const QString& program, const QStringList& arguments,
                   const QString& home, int timeoutMs = 20000) const;
    // Asks the application to end, then ends it.
    static void finish(QProcess& app);
    // The first visible window whose title matches, once it has been drawn; empty on timeout.
    QString waitForWindow(const QString& titlePattern, int timeoutMs) const;
    // The whole screen saved as name when CIAP_SCREENSHOT_DIR names a folder.
    static void shot(const QString& name);

private:
    QProcess m_server;
    QProcess m_manager;
    QString m_display;
    QString m_error;
};
