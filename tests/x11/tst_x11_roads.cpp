#include "X11Session.h"

#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QMap>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

// Roads through the real ciap on an X server with a window manager, driven by synthetic keys
// only. What the user sees is read from the windows that come up (dialogs) and from what the
// server stored; with CIAP_SCREENSHOT_DIR set, the screen is saved at each step.
class tst_X11Roads : public QObject {
    Q_OBJECT
public:
    explicit tst_X11Roads(X11Session* x)
        : m_x(x) {}

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void focusStaysWhereTheCheckPutIt();
    void newMonthWithGroupedNumbers();
    void refusedSaveStaysUnsaved();
    void stopWaitingForASilentServer();

private:
    bool startApp(const QStringList& arguments, const QString& stopOfferMs = {});
    void stopApp();
    QStringList dialogs() const;
    bool dialogComes(int timeoutMs) const;
    void shot(const QString& name) const;
    // Outgoing values (total, taxed) of company 01's competências, by "month registration".
    using Figures = QPair<double, double>;
    QMap<QString, Figures> stored() const;

    X11Session* m_x;
    QTemporaryDir m_dir;
    QString m_database;
    QProcess m_app;
    QString m_main; // the main window's id
};

namespace {
const QString Registration = QStringLiteral("110042490114");
const QString MainTitle = QStringLiteral("^CIAP$");
} // namespace

void tst_X11Roads::initTestCase() {
    if (!m_x->running())
        QSKIP(qPrintable(m_x->error()));
    QVERIFY(m_dir.isValid());
    m_database = m_dir.filePath(QStringLiteral("ciap.sqlite"));
    QVERIFY(startApp({QStringLiteral("--embedded"), QStringLiteral("--database"), m_database,
                      QStringLiteral("--open")}));
}

void tst_X11Roads::cleanupTestCase() {
    stopApp();
}

bool tst_X11Roads::startApp(const QStringList& arguments, const QString& stopOfferMs) {
    QProcessEnvironment env = m_x->environment(m_dir.path());
    if (!stopOfferMs.isEmpty())
        env.insert(QStringLiteral("CIAP_STOP_OFFER_MS"), stopOfferMs);
    m_app.setProcessEnvironment(env);
    m_app.setProcessChannelMode(QProcess::ForwardedChannels);
    // CIAP_X11_APP runs the roads against another build, an older one say.
    m_app.start(qEnvironmentVariable("CIAP_X11_APP", QStringLiteral(CIAP_APP_FILE)), arguments);
    // Up once the main window shows and has the focus the window manager gives it.
    const bool up = X11Session::waitUntil(
        [this] {
            const QStringList mains = m_x->windows(MainTitle);
            m_main = mains.value(0);
            return !m_main.isEmpty() && m_x->xdotool({QStringLiteral("getactivewindow")}) == m_main;
        },
        20000);
    // The screen opens right after the window, its focus in the company code.
    return up && X11Session::waitUntilStill(m_x->geometry(m_main), 10000);
}

void tst_X11Roads::stopApp() {
    if (m_app.state() == QProcess::NotRunning)
        return;
    m_app.terminate();
    if (!m_app.waitForFinished(5000)) {
        m_app.kill();
        m_app.waitForFinished(3000);
    }
}

QStringList tst_X11Roads::dialogs() const {
    // Message boxes are the application's other visible windows.
    QStringList all = m_x->windows(QStringLiteral("^(ciap|CIAP)$"));
    all.removeAll(m_main);
    return all;
}

bool tst_X11Roads::dialogComes(int timeoutMs) const {
    return X11Session::waitUntil([this] { return !dialogs().isEmpty(); }, timeoutMs);
}

void tst_X11Roads::shot(const QString& name) const {
    const QString dir = qEnvironmentVariable("CIAP_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        X11Session::grab(QRect(0, 0, 1280, 900)).save(QDir(dir).filePath(name));
}

// A failed check of the filter puts the focus on the failing field; the window manager,
// which gives the focus back to the window when the message closes, must not move it, and
// neither must a menu opened and closed after the list is loaded.
void tst_X11Roads::focusStaysWhereTheCheckPutIt() {
    // The company is empty: Tab out of the panel from the registration.
    m_x->keys(QStringLiteral("Tab Tab Tab Tab Tab"));
    QVERIFY2(dialogComes(5000), "no message for the empty company");
    shot(QStringLiteral("x11-empty-company.png"));
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntil([this] { return dialogs().isEmpty(); }, 5000));
    // Typed into the company, not into the start date: the tax check fails next.
    m_x->type(QStringLiteral("1"));
    m_x->keys(QStringLiteral("Tab Tab Tab Tab Tab"));
    QVERIFY2(dialogComes(5000), "no message for the empty tax");
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntil([this] { return dialogs().isEmpty(); }, 5000));
    m_x->type(QStringLiteral("01"));
    // Tax, start, end, registration, and out: now the list loads without a word.
    m_x->keys(QStringLiteral("Tab Tab Tab Tab"));
    QVERIFY2(!dialogComes(2500), "a check failed: a digit went to another field");
    shot(QStringLiteral("x11-list-loaded.png"));

    // The host's menu and the screen's own, opened and closed from the keyboard.
    m_x->keys(QStringLiteral("alt+f Escape Escape alt+o Escape Escape"));
    QVERIFY2(!dialogComes(1000), "a menu counted as entering the filter");
}

// A new competência typed into the grid with thousands grouped by dots, as the grid shows
// them, and saved: the server stores what was meant.
void tst_X11Roads::newMonthWithGroupedNumbers() {
    if (m_app.state() != QProcess::Running)
        QSKIP("needs the application of the road before");
    const QDate month(QDate::currentDate().year(), QDate::currentDate().month(), 1);
    // Incluir: the cell cursor is on the month, whatever column it was on.
    m_x->keys(QStringLiteral("alt+o i"));
    m_x->type(month.toString(QStringLiteral("MMyyyy")));
    m_x->keys(QStringLiteral("Tab"));
    m_x->type(Registration);
    m_x->keys(QStringLiteral("Tab"));
    m_x->type(QStringLiteral("2.000.000"));
    m_x->keys(QStringLiteral("Tab"));
    m_x->type(QStringLiteral("1.500"));
    m_x->keys(QStringLiteral("Tab"));
    shot(QStringLiteral("x11-new-month.png"));
    m_x->keys(QStringLiteral("alt+o g"));
    QVERIFY2(!dialogComes(3000), "the save was refused");

    const Figures saved = stored().value(month.toString(Qt::ISODate) + u' ' + Registration);
    QCOMPARE(saved, Figures(2000000.0, 1500.0));
}

// A save the server refuses (negative values): after the message the row is still being
// edited, with what was typed, and a later save of another row sends only that row.
void tst_X11Roads::refusedSaveStaysUnsaved() {
    if (m_app.state() != QProcess::Running)
        QSKIP("needs the application of the road before");
    const QMap<QString, Figures> before = stored();
    QVERIFY(!before.isEmpty());
    // The first row's outgoing values, both negative (the total still above the taxed).
    m_x->keys(QStringLiteral("ctrl+Home Right Right"));
    m_x->type(QStringLiteral("-1"));
    m_x->keys(QStringLiteral("Tab"));
    m_x->type(QStringLiteral("-5"));
    m_x->keys(QStringLiteral("Tab alt+o g"));
    QVERIFY2(dialogComes(5000), "the refusal was not shown");
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntil([this] { return dialogs().isEmpty(); }, 5000));
    shot(QStringLiteral("x11-refused-save.png"));
    // Still unsaved: Gravar is there to try again, and the server refuses again.
    m_x->keys(QStringLiteral("alt+o g"));
    QVERIFY2(dialogComes(5000), "the refused row was no longer being edited");
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntil([this] { return dialogs().isEmpty(); }, 5000));
    QCOMPARE(stored(), before);

    // Given up, then another row saved: that row alone reaches the server.
    m_x->keys(QStringLiteral("alt+o d ctrl+End Home Right Right"));
    m_x->type(QStringLiteral("400.000"));
    m_x->keys(QStringLiteral("Tab alt+o g"));
    QVERIFY2(!dialogComes(3000), "the save was refused");
    const QMap<QString, Figures> after = stored();
    QCOMPARE(after.size(), before.size());
    QStringList changed;
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        if (before.value(it.key()) != it.value())
            changed << it.key();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(after.value(changed.first()).first, 400000.0);
}

QMap<QString, tst_X11Roads::Figures> tst_X11Roads::stored() const {
    QMap<QString, Figures> rows;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("x11"));
        db.setDatabaseName(m_database);
        if (db.open()) {
            QSqlQuery q(QStringLiteral("SELECT DTCOMPETECIAP, CDINSCESTA, VRSAIDACIAP, "
                                       "VRSAIDATRIBCIAP FROM CIAPCOMPET WHERE CDEMPRESA = '01' "
                                       "AND CDIMPOSTO = '01'"),
                        db);
            while (q.next())
                rows.insert(q.value(0).toString().left(10) + u' ' + q.value(1).toString(),
                            {q.value(2).toDouble(), q.value(3).toDouble()});
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("x11"));
    return rows;
}

// A server that takes the connection and never answers: the busy indicator offers to stop
// waiting, stopping tells that nothing was done and closes that connection, and the next
// call opens a new one.
void tst_X11Roads::stopWaitingForASilentServer() {
    stopApp();
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> connections;
    QByteArray received;
    connect(&silent, &QTcpServer::newConnection, this, [&] {
        while (QTcpSocket* s = silent.nextPendingConnection()) {
            connections.append(s);
            connect(s, &QTcpSocket::readyRead, this, [&, s] { received += s->readAll(); });
        }
    });
    QVERIFY(startApp({QStringLiteral("--server"),
                      QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()),
                      QStringLiteral("--database"), m_database, QStringLiteral("--open")},
                     QStringLiteral("1000")));
    m_x->type(QStringLiteral("01"));
    m_x->keys(QStringLiteral("Tab"));
    m_x->type(QStringLiteral("01"));
    m_x->keys(QStringLiteral("Tab Tab Tab Tab"));
    QVERIFY2(X11Session::waitUntil([&] { return received.contains("getCIAP"); }, 10000),
             "the list was never asked for");
    // The offer comes after the wait limit; the window takes no other input meanwhile.
    QTest::qWait(1500);
    shot(QStringLiteral("x11-stop-offer.png"));
    m_x->keys(QStringLiteral("Escape"));
    QVERIFY2(dialogComes(5000), "stopping told nothing");
    QVERIFY(X11Session::waitUntil(
        [&] {
            return !connections.isEmpty() &&
                   connections.last()->state() == QAbstractSocket::UnconnectedState;
        },
        5000));
    const int before = int(connections.size());
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntil([this] { return dialogs().isEmpty(); }, 5000));
    // Into the panel and out again: the next call goes out on a new connection.
    m_x->keys(QStringLiteral("shift+Tab Tab"));
    QVERIFY2(X11Session::waitUntil([&] { return connections.size() > before; }, 10000),
             "no new connection for the next call");
    stopApp();
    qDeleteAll(connections);
}

int main(int argc, char** argv) {
    // The X server first: the test's own application runs on it, to take screenshots.
    X11Session x;
    if (x.start()) {
        qputenv("DISPLAY", x.display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    tst_X11Roads test(&x);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11_roads.moc"
