#include "DatabaseConfig.h"
#include "Migrations.h"
#include "Session.h"
#include "WorkedMonth.h"
#include "X11Session.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// "Fiscal ▸ Gerar Bloco G…" through the real ciap and its embedded server on a real X server,
// driven by keys only, on the worked example of docs/ciap-rules.md: the month's file saved
// where the user said, then, with the register broken in two places, every problem listed and
// the file left as it was. With CIAP_SCREENSHOT_DIR set, the screen is saved at each step.
class tst_X11BlocoG : public QObject {
    Q_OBJECT
public:
    explicit tst_X11BlocoG(X11Session* x)
        : m_x(x) {}

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void theMonthsFileThenItsProblems();

private:
    QStringList messages() const;
    bool messageComes(int timeoutMs) const;
    void sql(const QString& statement) const;

    X11Session* m_x;
    QTemporaryDir m_dir;
    QString m_database;
    QProcess m_app;
    QString m_main;
};

void tst_X11BlocoG::initTestCase() {
    if (!m_x->running())
        QSKIP(qPrintable(m_x->error()));
    QVERIFY(m_dir.isValid());
    m_database = m_dir.filePath(QStringLiteral("ciap.sqlite"));
    {
        const auto config = ciap::server::DatabaseConfig::fromLocation(m_database);
        ciap::server::Session session(*config, QStringLiteral("x11-setup"));
        ciap::server::Migrations::apply(session);
        worked::buildRegister(session);
        worked::addCompetencia(session, worked::Tax, 2024, 1);
    }
    m_main = m_x->launch(m_app, QStringLiteral(CIAP_APP_FILE),
                         {QStringLiteral("--embedded"), QStringLiteral("--database"), m_database},
                         m_dir.path());
    QVERIFY2(!m_main.isEmpty(), "the application did not come up");
}

void tst_X11BlocoG::cleanupTestCase() {
    X11Session::finish(m_app);
}

QStringList tst_X11BlocoG::messages() const {
    QStringList all = m_x->windows(QStringLiteral("^(ciap|CIAP)$"));
    all.removeAll(m_main);
    return all;
}

bool tst_X11BlocoG::messageComes(int timeoutMs) const {
    return X11Session::waitUntil([this] { return !messages().isEmpty(); }, timeoutMs);
}

void tst_X11BlocoG::sql(const QString& statement) const {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("x"));
        db.setDatabaseName(m_database);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(statement));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("x"));
}

void tst_X11BlocoG::theMonthsFileThenItsProblems() {
    m_x->keys(QStringLiteral("alt+f g"));
    QString window;
    QVERIFY2(X11Session::waitUntil(
                 [&] {
                     window = m_x->windows(QStringLiteral("^Gerar Bloco G$")).value(0);
                     return !window.isEmpty();
                 },
                 10000),
             "the window did not open");
    QVERIFY(X11Session::waitUntilStill(m_x->geometry(window), 5000));
    const QString file = m_dir.filePath(QStringLiteral("bloco-g-janeiro.txt"));
    m_x->type(QStringLiteral("02"));
    m_x->keys(QStringLiteral("Tab"));
    m_x->type(worked::Registration);
    m_x->keys(QStringLiteral("Tab"));
    m_x->type(QStringLiteral("012024"));
    m_x->keys(QStringLiteral("Tab Tab"));
    m_x->type(file);
    X11Session::shot(QStringLiteral("x11-bloco-g-typed.png"));
    m_x->keys(QStringLiteral("Return"));
    QVERIFY2(messageComes(10000), "no word after Gerar");
    X11Session::shot(QStringLiteral("x11-bloco-g-saved.png"));
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntil([this] { return messages().isEmpty(); }, 5000));
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    saved.close();
    QVERIFY2(bytes.contains("|G110|01012024|31012024|4600,00|195,83|900,00|1500,00|0,60000000|"
                            "117,50|0,00|\r\n"),
             bytes.left(400).constData());

    // Two assets broken in the register: both problems listed, the file as it was.
    sql(QStringLiteral("UPDATE BEMATIVO SET DSFUNCAO = NULL WHERE CDBEMATIVO = '0000000002'"));
    sql(QStringLiteral("UPDATE BEMATIVO SET CDCONTA = '9.9' WHERE CDBEMATIVO = '0000000003'"));
    m_x->keys(QStringLiteral("alt+g"));
    QVERIFY2(messageComes(10000), "no word after Gerar");
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntil([this] { return messages().isEmpty(); }, 5000));
    QVERIFY(X11Session::waitUntilStill(m_x->geometry(window), 5000));
    X11Session::shot(QStringLiteral("x11-bloco-g-problems.png"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), bytes);
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
    tst_X11BlocoG test(&x);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11_bloco_g.moc"
