#include "DatabaseConfig.h"
#include "Migrations.h"
#include "Session.h"
#include "WorkedMonth.h"
#include "X11Session.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// "Fiscal ▸ Livro CIAP…" through the real ciap and its embedded server on a real X server,
// driven by keys only, on the worked example of docs/ciap-rules.md: the appropriated month's
// book in the print preview, then a pending month refused with the reason. With
// CIAP_SCREENSHOT_DIR set, the screen is saved at each step.
class tst_X11LivroCiap : public QObject {
    Q_OBJECT
public:
    explicit tst_X11LivroCiap(X11Session* x)
        : m_x(x) {}

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void theBookPreviewedThenAPendingMonth();

private:
    QStringList messages() const;

    X11Session* m_x;
    QTemporaryDir m_dir;
    QProcess m_app;
    QString m_main;
};

void tst_X11LivroCiap::initTestCase() {
    if (!m_x->running())
        QSKIP(qPrintable(m_x->error()));
    QVERIFY(m_dir.isValid());
    const QString database = m_dir.filePath(QStringLiteral("ciap.sqlite"));
    {
        const auto config = ciap::server::DatabaseConfig::fromLocation(database);
        ciap::server::Session session(*config, QStringLiteral("x11-setup"));
        ciap::server::Migrations::apply(session); // a new file has no tables yet
        worked::buildRegister(session);
        worked::addCompetencia(session, worked::Tax, 2024, 1);
        worked::addCompetencia(session, worked::Tax, 2024, 2, false);
    }
    m_main = m_x->launch(m_app, QStringLiteral(CIAP_APP_FILE),
                         {QStringLiteral("--embedded"), QStringLiteral("--database"), database},
                         m_dir.path());
    QVERIFY2(!m_main.isEmpty(), "the application did not come up");
}

void tst_X11LivroCiap::cleanupTestCase() {
    X11Session::finish(m_app);
}

QStringList tst_X11LivroCiap::messages() const {
    QStringList all = m_x->windows(QStringLiteral("^(ciap|CIAP)$"));
    all.removeAll(m_main);
    return all;
}

void tst_X11LivroCiap::theBookPreviewedThenAPendingMonth() {
    m_x->keys(QStringLiteral("alt+f l"));
    QString window;
    QVERIFY2(X11Session::waitUntil(
                 [&] {
                     window = m_x->windows(QStringLiteral("^Livro CIAP$")).value(0);
                     return !window.isEmpty();
                 },
                 10000),
             "the window did not open");
    QVERIFY(X11Session::waitUntilStill(m_x->geometry(window), 5000));
    m_x->type(QStringLiteral("02"));
    m_x->keys(QStringLiteral("Tab"));
    m_x->type(worked::Registration);
    m_x->keys(QStringLiteral("Tab"));
    m_x->type(QStringLiteral("012024"));
    m_x->keys(QStringLiteral("Tab Down")); // model D: one sheet per asset
    X11Session::shot(QStringLiteral("x11-livro-typed.png"));
    m_x->keys(QStringLiteral("Return"));
    QString preview;
    QVERIFY2(X11Session::waitUntil(
                 [&] {
                     preview = m_x->windows(QStringLiteral("^Livro CIAP – visualização$")).value(0);
                     return !preview.isEmpty();
                 },
                 15000),
             "no preview after Visualizar");
    QVERIFY(X11Session::waitUntilStill(m_x->geometry(preview), 5000));
    QVERIFY(messages().isEmpty());
    X11Session::shot(QStringLiteral("x11-livro-preview.png"));
    m_x->keys(QStringLiteral("Escape"));
    QVERIFY(X11Session::waitUntil(
        [this] { return m_x->windows(QStringLiteral("^Livro CIAP – visualização$")).isEmpty(); },
        5000));

    // February is loaded but not appropriated: refused with the reason, no preview.
    m_x->xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
    m_x->keys(QStringLiteral("alt+c"));
    m_x->type(QStringLiteral("022024"));
    m_x->keys(QStringLiteral("alt+v"));
    QVERIFY2(X11Session::waitUntil([this] { return !messages().isEmpty(); }, 10000),
             "no word about February");
    X11Session::shot(QStringLiteral("x11-livro-pending.png"));
    QVERIFY(m_x->windows(QStringLiteral("^Livro CIAP – visualização$")).isEmpty());
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntil([this] { return messages().isEmpty(); }, 5000));
}

int main(int argc, char** argv) {
    X11Session x;
    if (x.start()) {
        qputenv("DISPLAY", x.display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    tst_X11LivroCiap test(&x);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11_livro_ciap.moc"
