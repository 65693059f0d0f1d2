#include "X11Session.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// A fresh install as a fiscal team meets it: the company and its registration created with
// ciap-admin, then, in the real ciap on an X server driven by keys only, the documents of a
// folder imported through the dialog, the register opened, what an asset lacks typed in and
// its exit recorded. What the server stored is read from the database; with
// CIAP_SCREENSHOT_DIR set, the summary and the register are saved there.
class tst_X11Fiscal : public QObject {
    Q_OBJECT
public:
    explicit tst_X11Fiscal(X11Session* x)
        : m_x(x) {}

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void importThroughTheDialog();
    void completeTheRegisterAndRecordAnExit();

private:
    bool admin(const QStringList& arguments);
    QVariant stored(const QString& sql) const;

    X11Session* m_x;
    QTemporaryDir m_dir;
    QString m_database;
    QString m_documents;
    QProcess m_app;
    QString m_main;
};

namespace {
const QString Data = QStringLiteral(CIAP_DOCUMENTS_DATA);
} // namespace

bool tst_X11Fiscal::admin(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral(CIAP_ADMIN_FILE), arguments + QStringList{"--database", m_database});
    return p.waitForFinished(30000) && p.exitCode() == 0;
}

void tst_X11Fiscal::initTestCase() {
    if (!m_x->running())
        QSKIP(qPrintable(m_x->error()));
    QVERIFY(m_dir.isValid());
    m_database = m_dir.filePath(QStringLiteral("ciap.sqlite"));
    QVERIFY(admin({"company", "--code", "05", "--name", "MINHA EMPRESA"}));
    QVERIFY(admin({"registration", "--company", "05", "--ie", "244123456119", "--cnpj",
                   "12345678000195", "--uf", "SP", "--municipality", "3509502"}));
    // The samples: six documents of the company, and two the reader refuses.
    m_documents = m_dir.filePath(QStringLiteral("xml"));
    QVERIFY(QDir().mkpath(m_documents));
    for (const QString& name : QDir(Data).entryList({"*.xml"}, QDir::Files))
        QVERIFY(QFile::copy(Data + u'/' + name, m_documents + u'/' + name));
    for (const char* name : {"no_protocol.xml", "key_check_digit.xml"})
        QVERIFY(QFile::copy(Data + QStringLiteral("/refused/") + QLatin1String(name),
                            m_documents + u'/' + QLatin1String(name)));

    m_main = m_x->launch(m_app, QStringLiteral(CIAP_APP_FILE),
                         {"--embedded", "--database", m_database}, m_dir.path(), 30000);
    QVERIFY2(!m_main.isEmpty(), "the application did not come up");
}

void tst_X11Fiscal::cleanupTestCase() {
    X11Session::finish(m_app);
}

QVariant tst_X11Fiscal::stored(const QString& sql) const {
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("x"));
        db.setDatabaseName(m_database);
        if (db.open()) {
            QSqlQuery q(sql, db);
            if (q.next())
                value = q.value(0);
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("x"));
    return value;
}

void tst_X11Fiscal::importThroughTheDialog() {
    m_x->keys(QStringLiteral("alt+f i"));
    const QString dialog = m_x->waitForWindow(QStringLiteral("^Importar Documentos$"), 10000);
    QVERIFY2(!dialog.isEmpty(), "no import dialog");
    // Pasta…: the folder typed into the chooser.
    m_x->keys(QStringLiteral("alt+s"));
    QVERIFY2(!m_x->waitForWindow(QStringLiteral("^Pasta com os documentos"), 10000).isEmpty(),
             "no chooser");
    m_x->type(m_documents);
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntil(
        [this] { return m_x->windows(QStringLiteral("^Pasta com os documentos")).isEmpty(); },
        5000));
    // The supplier's items become assets; then Importar.
    m_x->keys(QStringLiteral("alt+v alt+m"));
    QVERIFY2(X11Session::waitUntil(
                 [this] {
                     return stored(QStringLiteral("SELECT COUNT(*) FROM DOCIMPORTADO")).toInt() ==
                            6;
                 },
                 20000),
             "the folder's documents were not imported");
    QVERIFY(X11Session::waitUntilStill(m_x->geometry(dialog), 5000));
    X11Session::shot(QStringLiteral("import-summary.png"));
    QCOMPARE(stored(QStringLiteral("SELECT COUNT(*) FROM BEMATIVO")).toInt(), 5);
    m_x->keys(QStringLiteral("Escape"));
    QVERIFY(X11Session::waitUntil(
        [this] { return m_x->windows(QStringLiteral("^Importar Documentos$")).isEmpty(); }, 5000));
}

void tst_X11Fiscal::completeTheRegisterAndRecordAnExit() {
    if (m_app.state() != QProcess::Running)
        QSKIP("needs the application of the road before");
    // Fiscal → Cadastro de Bens CIAP; the company, and Enter loads all its registrations.
    m_x->keys(QStringLiteral("alt+f b"));
    QVERIFY(X11Session::waitUntilStill(m_x->geometry(m_main), 5000));
    m_x->type(QStringLiteral("5"));
    m_x->keys(QStringLiteral("Return"));
    QVERIFY(X11Session::waitUntilStill(m_x->geometry(m_main), 5000));
    // The first asset (the own import's machining centre): Alterar, to the account column,
    // and what no document carries.
    m_x->keys(QStringLiteral("alt+o a"));
    for (int i = 0; i < 14; ++i)
        m_x->keys(QStringLiteral("Right"));
    for (const char* typed : {"1.2.3.01", "USINAGEM", "Usinagem de moldes", "120", "CU800"}) {
        m_x->type(QString::fromUtf8(typed));
        m_x->keys(QStringLiteral("Tab"));
    }
    m_x->keys(QStringLiteral("alt+o g"));
    QVERIFY2(X11Session::waitUntil(
                 [this] {
                     return stored(QStringLiteral("SELECT CDCONTA FROM BEMATIVO WHERE "
                                                  "CDBEMATIVO = '0000000001'"))
                                .toString() == QLatin1String("1.2.3.01");
                 },
                 10000),
             "the account was not saved");
    QCOMPARE(stored(QStringLiteral("SELECT NRVIDAUTIL || ' ' || CDCCUSTO || ' ' || CDITEM FROM "
                                   "BEMATIVO WHERE CDBEMATIVO = '0000000001'"))
                 .toString(),
             QStringLiteral("120 USINAGEM CU800"));

    // Registrar Saída: today, a loss, no document.
    m_x->keys(QStringLiteral("alt+o s"));
    QVERIFY2(
        !m_x->waitForWindow(QStringLiteral("^Registrar Saída do Bem 0000000001$"), 10000).isEmpty(),
        "no exit dialog");
    m_x->keys(QStringLiteral("Tab Down Return"));
    QVERIFY2(X11Session::waitUntil(
                 [this] {
                     return stored(QStringLiteral("SELECT IDTPSAIDA FROM BEMATIVO WHERE "
                                                  "CDBEMATIVO = '0000000001'"))
                                .toString() == QLatin1String("P");
                 },
                 10000),
             "the exit was not saved");
    QCOMPARE(stored(QStringLiteral("SELECT DTSAIDA FROM BEMATIVO WHERE CDBEMATIVO = "
                                   "'0000000001'"))
                 .toString()
                 .left(10),
             QDate::currentDate().toString(Qt::ISODate));
    // Back to the first columns, where the asset is told apart and what it lacks shows.
    m_x->keys(QStringLiteral("Home"));
    QVERIFY(X11Session::waitUntilStill(m_x->geometry(m_main), 5000));
    X11Session::shot(QStringLiteral("asset-register.png"));
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
    tst_X11Fiscal test(&x);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11_fiscal.moc"
