#include "AppOptions.h"
#include "EmbeddedServer.h"
#include "HostErrors.h"
#include "HostMainWindow.h"
#include "HostRunner.h"
#include "HostServices.h"
#include "HostSettings.h"
#include "RecordingDialogService.h"
#include "RpcTestClient.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TField.h"
#include "TPageControl.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

// The product as a user meets it: the host application started as from its command line
// with no server configured (so with its embedded server on a fresh demo database), the
// screen opened from the menu, and the month-end road walked with the keyboard and the mouse
// only: the filter typed and left with Tab, a new competência typed into the grid and saved,
// its assets loaded on the second tab, the month appropriated and the appropriation
// cancelled. With CIAP_SCREENSHOT_DIR set, the main window is saved at each step.
class tst_AppMonthEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void openFromTheMenu();
    void typeTheFilter();
    void addCompetencia();
    void loadItsAssets();
    void appropriate();
    void cancelTheAppropriation();
    void closeTheApplication();

private:
    template <typename T> T* control(const char* name) const;
    TClientDataSet* dataSet(const char* name) const;
    QString field(const char* dataSetName, const QString& fieldName) const;
    void click(const char* buttonName);
    void clickTab(const char* sheetName);
    void typeIntoCell(TDBGrid* grid, const QString& fieldName, const QString& text);
    QString cellText(TDBGrid* grid, const QString& fieldName) const;
    bool selectMonth(const QString& month);
    void screenshot(const QString& name);
    QString dialogs() const { return m_dialogs.texts().join(QLatin1Char('\n')); }

    QTemporaryDir m_dir;
    RecordingDialogService m_dialogs;
    std::unique_ptr<HostRunner> m_runner;
    QWidget* m_screen = nullptr;
    QString m_month; // the current month, which the demo data leaves free
    QDate m_start;   // three months back: the demo's appropriated month is listed too
};

namespace {

const QString Company = QStringLiteral("01");
const QString Tax = QStringLiteral("01");
const QString Registration = QStringLiteral("110042490114");

} // namespace

template <typename T> T* tst_AppMonthEnd::control(const char* name) const {
    T* found = m_screen ? m_screen->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    // The steps build on each other: without the screen there is nothing left to test.
    if (!found)
        qFatal("no control %s", name);
    return found;
}

TClientDataSet* tst_AppMonthEnd::dataSet(const char* name) const {
    return control<TClientDataSet>(name);
}

QString tst_AppMonthEnd::field(const char* dataSetName, const QString& fieldName) const {
    return dataSet(dataSetName)->FieldByName(fieldName)->AsString();
}

void tst_AppMonthEnd::click(const char* buttonName) {
    auto* button = control<QToolButton>(buttonName);
    QVERIFY(button);
    QVERIFY2(button->isEnabled() && button->isVisible(), buttonName);
    QTest::mouseClick(button, Qt::LeftButton);
}

void tst_AppMonthEnd::clickTab(const char* sheetName) {
    auto* pages = control<TPageControl>("pgcPadrao");
    QWidget* sheet = control<QWidget>(sheetName);
    QVERIFY(pages && sheet);
    auto* bar = pages->findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(pages->indexOf(sheet)).center());
    QCOMPARE(pages->ActivePage(), sheet);
}

// The user clicks the cell of the current row, types and leaves the cell with Tab.
void tst_AppMonthEnd::typeIntoCell(TDBGrid* grid, const QString& fieldName, const QString& text) {
    int column = -1;
    for (int c = 0; c < grid->ColumnCount(); ++c)
        if (grid->ColumnFieldName(c) == fieldName)
            column = c;
    QVERIFY2(column >= 0, qPrintable(fieldName));
    const QModelIndex cell = grid->model()->index(grid->currentIndex().row(), column);
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    QCOMPARE(grid->SelectedField()->FieldName(), fieldName);
    // Typed at once, as fast as a user does after the click.
    for (const QChar c : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

QString tst_AppMonthEnd::cellText(TDBGrid* grid, const QString& fieldName) const {
    for (int c = 0; c < grid->ColumnCount(); ++c)
        if (grid->ColumnFieldName(c) == fieldName)
            return grid->model()->index(grid->currentIndex().row(), c).data().toString();
    return QStringLiteral("<no column %1>").arg(fieldName);
}

// The user clicks the month's row in the competência grid.
bool tst_AppMonthEnd::selectMonth(const QString& month) {
    auto* grid = control<TDBGrid>("dbgPadrao");
    int column = -1;
    for (int c = 0; c < grid->ColumnCount(); ++c)
        if (grid->ColumnFieldName(c) == QLatin1String("COMPETENCIA"))
            column = c;
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QModelIndex cell = grid->model()->index(row, column);
        if (cell.data().toString() != month)
            continue;
        grid->scrollTo(cell);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
        return field("cdsCIAP", QStringLiteral("COMPETENCIA")) == month;
    }
    return false;
}

void tst_AppMonthEnd::screenshot(const QString& name) {
    const QString dir = qEnvironmentVariable("CIAP_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QApplication::processEvents();
    QVERIFY(m_runner->window()->grab().save(QDir(dir).filePath(name)));
}

void tst_AppMonthEnd::initTestCase() {
    QVERIFY(m_dir.isValid());
    DialogService::setInstance(&m_dialogs);
    qputenv("CIAP_SERVER_BIN", CIAP_SERVER_FILE);
    HostSettings::clearOverrides();
    m_month = QDate::currentDate().toString(QStringLiteral("MM/yyyy"));
    m_start = PriDiaMes(QDate::currentDate()).addMonths(-3);

    // What `ciap` does with no server on its command line nor in the settings.
    const AppOptions options =
        AppOptions::parse({QStringLiteral("ciap"), QStringLiteral("--database"),
                           m_dir.filePath(QStringLiteral("ciap.sqlite")),
                           QStringLiteral("--package"), QStringLiteral(CIAP_PACKAGE_FILE)});
    m_runner = std::make_unique<HostRunner>(options);
    QVERIFY(runGuarded([this] { m_runner->configure(); }));
    QVERIFY(m_runner->embeddedServer() && m_runner->embeddedServer()->isRunning());
    HostMainWindow* window = m_runner->window();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void tst_AppMonthEnd::cleanupTestCase() {
    m_runner.reset();
    DialogService::setInstance(nullptr);
    qunsetenv("CIAP_SERVER_BIN");
}

void tst_AppMonthEnd::openFromTheMenu() {
    HostMainWindow* window = m_runner->window();
    QMenuBar* bar = window->menuBar();
    auto* fiscal = window->findChild<QMenu*>(QStringLiteral("mnuFiscal"));
    QVERIFY(fiscal);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(fiscal->menuAction()).center());
    QTRY_VERIFY(fiscal->isVisible());
    QTest::mouseClick(fiscal, Qt::LeftButton, {},
                      fiscal->actionGeometry(window->ciapAction()).center());
    QTRY_COMPARE(window->mdiArea()->subWindowList().size(), 1);
    QMdiSubWindow* sub = window->mdiArea()->activeSubWindow();
    QVERIFY(sub);
    m_screen = sub->widget();
    QVERIFY(m_screen->inherits("TfrmCIAP"));
    QCOMPARE(sub->windowTitle(), QStringLiteral("Controle de Crédito Imobilizado"));
    QVERIFY2(m_dialogs.entries.isEmpty(), qPrintable(dialogs()));
    // The offscreen platform has no window manager to hand the activation back from the
    // closed menu; a desktop does that by itself.
    if (QApplication::activeWindow() != window) {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    // The screen opens with the focus in the company code.
    QTRY_COMPARE(QApplication::focusWidget(), control<QWidget>("edtCdEmpresa"));
}

void tst_AppMonthEnd::typeTheFilter() {
    auto* company = control<QLineEdit>("edtCdEmpresa");
    auto* tax = control<QLineEdit>("edtCdImposto");
    auto* start = control<TDateEditPlus>("depInicial");
    auto* panel = control<QWidget>("panEmpresa");
    QVERIFY(company && tax && start && panel);

    QTest::keyClicks(company, Company);
    QTest::keyClick(company, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(tax));
    QCOMPARE(control<QLineEdit>("edtNmEmpresa")->text(),
             QStringLiteral("INDÚSTRIA DEMONSTRAÇÃO LTDA"));
    QTest::keyClicks(tax, Tax);
    QTest::keyClick(tax, Qt::Key_Tab);
    QCOMPARE(control<QLineEdit>("edtNmImposto")->text(), QStringLiteral("ICMS"));

    // Into the period's start, typed over what the screen proposed.
    start->setFocus();
    start->selectAll();
    QTest::keyClicks(start, m_start.toString(QStringLiteral("ddMMyyyy")));
    QCOMPARE(start->GetDate(), m_start);
    QCOMPARE(control<TDateEditPlus>("depFinal")->GetDate(), PriDiaMes(QDate::currentDate()));

    auto* registration = control<QLineEdit>("dbeInscEsta");
    registration->setFocus();
    QTest::keyClicks(registration, Registration);
    // Tab until the focus leaves the panel: leaving it loads the list.
    for (int i = 0; i < 6 && panel->isAncestorOf(QApplication::focusWidget()); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(!panel->isAncestorOf(QApplication::focusWidget()));
    QVERIFY2(m_dialogs.entries.isEmpty(), qPrintable(dialogs()));

    TClientDataSet* list = dataSet("cdsCIAP");
    QVERIFY(list->Active());
    // The demo's months of this registration: three back appropriated, the two after it
    // pending; the current month is free.
    QCOMPARE(list->RecordCount(), 3);
    QVERIFY(!list->Locate(QStringLiteral("COMPETENCIA"), m_month, false));
    QVERIFY(selectMonth(m_start.toString(QStringLiteral("MM/yyyy"))));
    QCOMPARE(cellText(control<TDBGrid>("dbgPadrao"), QStringLiteral("IDSITCOMPETCIAP")),
             QStringLiteral("Apropriado"));
}

void tst_AppMonthEnd::addCompetencia() {
    auto* grid = control<TDBGrid>("dbgPadrao");
    click("sbtIncluir");
    TClientDataSet* list = dataSet("cdsCIAP");
    QCOMPARE(list->State(), DataSetState::Insert);
    typeIntoCell(grid, QStringLiteral("COMPETENCIA"), QString(m_month).remove(QLatin1Char('/')));
    typeIntoCell(grid, QStringLiteral("CDINSCESTA"), Registration);
    typeIntoCell(grid, QStringLiteral("VRSAIDACIAP"), QStringLiteral("1500"));
    typeIntoCell(grid, QStringLiteral("VRSAIDATRIBCIAP"), QStringLiteral("900"));
    // Keys in a cell that cannot be edited go nowhere: the cursor stays on the new row (a
    // jump to the next row whose coefficient starts with "0" would post it half-typed).
    typeIntoCell(grid, QStringLiteral("VRCOEFICIAP"), QStringLiteral("0"));
    QCOMPARE(list->State(), DataSetState::Insert);
    QCOMPARE(field("cdsCIAP", QStringLiteral("COMPETENCIA")), m_month);
    QVERIFY2(m_dialogs.entries.isEmpty(), qPrintable(dialogs()));
    click("sbtGravar");
    QVERIFY2(m_dialogs.entries.isEmpty(), qPrintable(dialogs()));
    QCOMPARE(list->State(), DataSetState::Browse);
    QCOMPARE(list->RecordCount(), 4);
    QVERIFY(selectMonth(m_month));
    QCOMPARE(cellText(grid, QStringLiteral("IDSITCOMPETCIAP")), QStringLiteral("Pendente"));
    QCOMPARE(cellText(grid, QStringLiteral("VRSAIDACIAP")), QStringLiteral("1.500,00"));
    QCOMPARE(field("cdsCIAP", QStringLiteral("ITEMEXISTE")), QStringLiteral("0"));
    // Nothing to appropriate before its assets are there.
    QVERIFY(!control<QToolButton>("sbtOK")->isEnabled());
    screenshot(QStringLiteral("app-new-competencia.png"));
}

void tst_AppMonthEnd::loadItsAssets() {
    QVERIFY(selectMonth(m_month));
    const QString sequence = field("cdsCIAP", QStringLiteral("NRSEQCIAP"));
    clickTab("tshBensComp");
    TClientDataSet* assets = dataSet("cdsBensComp");
    QVERIFY(assets->Active() && assets->IsEmpty());
    click("sbtCarregar");
    QCOMPARE(m_dialogs.texts(), QStringList{QStringLiteral("Operação concluída com sucesso.")});
    m_dialogs.clear();

    // The tab lists what the server now holds for the month.
    RpcTestClient rpc;
    EmbeddedServer* server = m_runner->embeddedServer();
    QVERIFY(rpc.connectTo(server->host(), quint16(server->port())));
    const ciap::DataPacket stored =
        rpc.packet(QStringLiteral("getBensComp"), {m_month, Company, Tax, sequence});
    QVERIFY(!stored.rows.isEmpty());
    QCOMPARE(assets->RecordCount(), int(stored.rows.size()));
    QCOMPARE(control<TDBGrid>("dbgBensComp")->model()->rowCount(), int(stored.rows.size()));
    screenshot(QStringLiteral("app-assets-tab.png"));
}

void tst_AppMonthEnd::appropriate() {
    clickTab("tshPadrao");
    QCOMPARE(field("cdsCIAP", QStringLiteral("COMPETENCIA")), m_month);
    QVERIFY(dataSet("cdsCIAP")->FieldByName(QStringLiteral("ITEMEXISTE"))->AsFloat() > 0);
    m_dialogs.enqueueAnswer(DialogAnswer::Yes);
    click("sbtOK");
    QCOMPARE(m_dialogs.texts(), QStringList{QStringLiteral("Confirmar apropriação?")});
    m_dialogs.clear();
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(field("cdsCIAP", QStringLiteral("COMPETENCIA")), m_month);
    QCOMPARE(cellText(control<TDBGrid>("dbgPadrao"), QStringLiteral("IDSITCOMPETCIAP")),
             QStringLiteral("Apropriado"));
    QVERIFY(!control<QToolButton>("sbtOK")->isEnabled());
    QVERIFY(control<QToolButton>("btnCancelar")->isEnabled());
    screenshot(QStringLiteral("app-appropriated.png"));
}

void tst_AppMonthEnd::cancelTheAppropriation() {
    m_dialogs.enqueueAnswer(DialogAnswer::Yes);
    click("btnCancelar");
    QCOMPARE(m_dialogs.texts(),
             (QStringList{QStringLiteral("Confirmar cancelamento da Apropriação?"),
                          QStringLiteral("Competência cancelada com sucesso")}));
    m_dialogs.clear();
    QCOMPARE(field("cdsCIAP", QStringLiteral("COMPETENCIA")), m_month);
    QCOMPARE(cellText(control<TDBGrid>("dbgPadrao"), QStringLiteral("IDSITCOMPETCIAP")),
             QStringLiteral("Pendente"));
    QVERIFY(control<QToolButton>("sbtOK")->isEnabled());
    QVERIFY(!control<QToolButton>("btnCancelar")->isEnabled());
}

void tst_AppMonthEnd::closeTheApplication() {
    HostMainWindow* window = m_runner->window();
    QPointer<QWidget> screen = m_screen;
    QVERIFY(window->close());
    QTRY_VERIFY(!screen);
    QVERIFY2(m_dialogs.entries.isEmpty(), qPrintable(dialogs()));
    // The embedded server goes with the host; the month stays in its database.
    const QString host = m_runner->embeddedServer()->host();
    const int port = m_runner->embeddedServer()->port();
    m_runner.reset();
    RpcTestClient rpc;
    QVERIFY(!rpc.connectTo(host, quint16(port), 1000));
}

int main(int argc, char** argv) {
    // The user's own settings and data stay untouched, and no server is configured.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ciap"));
    QApplication::setApplicationName(QStringLiteral("ciap"));
    tst_AppMonthEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app_monthend.moc"
