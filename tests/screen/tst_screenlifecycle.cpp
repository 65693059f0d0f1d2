#include "Cli_mzr02400.h"
#include "HostApplication.h"
#include "HostServices.h"
#include "RecordingDialogService.h"
#include "ScriptedServer.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TNetConnection.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QFrame>
#include <QJsonArray>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QToolButton>

// The unit's entry and the screen's life: created once, shown and defaulted at each IniProc,
// connected at creation with the address current at connect time, disconnected and freed on
// close, created anew afterwards.
class tst_ScreenLifecycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void oneScreenAcrossManyCalls();
    void firstOpening();
    void periodDefaulting_data();
    void periodDefaulting();
    void periodFunctions_data();
    void periodFunctions();
    void editingRowLeavesFilterAlone();
    void restoresNormalWindowState();
    void connectsWithAddressCurrentAtConnect();
    void formCloseClosesConnectionFirst();
    void closingFreesTheScreen();
    void mdiChildOfTheHost();
    void unitStartupAndShutdown();

private:
    static int screenCount();
    static QDate d(const char* text) {
        return QDate::fromString(QLatin1String(text), "dd/MM/yyyy");
    }

    RecordingDialogService m_dialogs;
    ScriptedServer m_a;
    ScriptedServer m_b;
};

int tst_ScreenLifecycle::screenCount() {
    int n = 0;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<TfrmCIAP*>(w))
            ++n;
    return n;
}

void tst_ScreenLifecycle::initTestCase() {
    DialogService::setInstance(&m_dialogs);
    QVERIFY(m_a.listen());
    QVERIFY(m_b.listen());
    m_a.setDefault(QStringLiteral("getVerificaImposto"), QJsonArray{QStringLiteral("01")});
    m_b.setDefault(QStringLiteral("getVerificaImposto"), QJsonArray{QStringLiteral("50")});
}

void tst_ScreenLifecycle::init() {
    Cli_mzr02400_Initialization();
    setWebServer(m_a.host(), m_a.port());
    m_dialogs.clear();
}

void tst_ScreenLifecycle::cleanup() {
    Cli_mzr02400_Finalization();
    QTRY_COMPARE(screenCount(), 0);
}

void tst_ScreenLifecycle::cleanupTestCase() {
    DialogService::setInstance(nullptr);
}

void tst_ScreenLifecycle::oneScreenAcrossManyCalls() {
    QVERIFY(!boIdCriado);
    QVERIFY(!frmCIAP);
    const int connections = m_a.connectionCount();
    IniProc();
    TfrmCIAP* first = frmCIAP;
    QVERIFY(first);
    QVERIFY(boIdCriado);
    for (int i = 0; i < 5; ++i)
        IniProc();
    QCOMPARE(frmCIAP, first);
    QCOMPARE(screenCount(), 1);
    QVERIFY(first->isVisible());
    // FormCreate connected once, at creation.
    QCOMPARE(m_a.connectionCount(), connections + 1);
    QVERIFY(first->netCIAP->Connected());
    QCOMPARE(first->pgcPadrao->ActivePage(), first->tshPadrao);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr); // the hourglass is gone
}

void tst_ScreenLifecycle::firstOpening() {
    IniProc();
    QWidget* window = frmCIAP->window();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(QApplication::focusWidget(), frmCIAP->edtCdEmpresa);
    const QDate today = QDate::currentDate();
    QCOMPARE(frmCIAP->depInicial->GetDate(), PriDiaMes(today.addDays(-30)));
    QCOMPARE(frmCIAP->depFinal->GetDate(), PriDiaMes(today));
}

void tst_ScreenLifecycle::periodDefaulting_data() {
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QDate>("expectedStart");
    QTest::addColumn<QDate>("expectedEnd");
    QTest::newRow("15/03/2024") << d("15/03/2024") << d("15/03/2024") << d("01/02/2024")
                                << d("01/03/2024");
    QTest::newRow("31/05/2024: 30 days back is still May")
        << d("31/05/2024") << d("31/05/2024") << d("01/05/2024") << d("01/05/2024");
    QTest::newRow("01/03/2023: 30 days back is 30/01")
        << d("01/03/2023") << d("01/03/2023") << d("01/01/2023") << d("01/03/2023");
    QTest::newRow("again from 01/05/2024")
        << d("01/05/2024") << d("01/05/2024") << d("01/04/2024") << d("01/05/2024");
    QTest::newRow("again from 01/03/2024")
        << d("01/03/2024") << d("01/03/2024") << d("01/01/2024") << d("01/03/2024");
    QTest::newRow("leap day") << d("29/02/2024") << d("29/02/2024") << d("01/01/2024")
                              << d("01/02/2024");
    QTest::newRow("across the year")
        << d("10/01/2024") << d("20/02/2024") << d("01/12/2023") << d("01/02/2024");
}

void tst_ScreenLifecycle::periodDefaulting() {
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QDate, expectedStart);
    QFETCH(QDate, expectedEnd);
    IniProc();
    frmCIAP->depInicial->SetDate(start);
    frmCIAP->depFinal->SetDate(end);
    IniProc(); // the screen is open and its filter enabled: the period is defaulted again
    QCOMPARE(frmCIAP->depInicial->GetDate(), expectedStart);
    QCOMPARE(frmCIAP->depFinal->GetDate(), expectedEnd);
    QCOMPARE(screenCount(), 1);
}

void tst_ScreenLifecycle::periodFunctions_data() {
    periodDefaulting_data();
}

void tst_ScreenLifecycle::periodFunctions() {
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QDate, expectedStart);
    QFETCH(QDate, expectedEnd);
    QCOMPARE(defaultPeriodStart(start), expectedStart);
    QCOMPARE(defaultPeriodEnd(end), expectedEnd);
}

void tst_ScreenLifecycle::editingRowLeavesFilterAlone() {
    IniProc();
    QWidget* window = frmCIAP->window();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    frmCIAP->depInicial->SetDate(d("15/03/2024"));
    frmCIAP->depFinal->SetDate(d("15/03/2024"));
    // While a row is edited the command state switches the filter off.
    SetChildEnabled(frmCIAP->panEmpresa, false);
    frmCIAP->dbgPadrao->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), frmCIAP->dbgPadrao);
    IniProc();
    QCOMPARE(frmCIAP->depInicial->GetDate(), d("15/03/2024"));
    QCOMPARE(frmCIAP->depFinal->GetDate(), d("15/03/2024"));
    QCOMPARE(QApplication::focusWidget(), frmCIAP->dbgPadrao);

    // Only one date edit enabled: no defaulting either.
    frmCIAP->depInicial->setEnabled(true);
    IniProc();
    QCOMPARE(frmCIAP->depInicial->GetDate(), d("15/03/2024"));
}

void tst_ScreenLifecycle::restoresNormalWindowState() {
    IniProc();
    QWidget* window = frmCIAP->window();
    window->showMinimized();
    IniProc();
    QVERIFY(!(window->windowState() & Qt::WindowMinimized));
    window->showMaximized();
    IniProc();
    QVERIFY(!(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)));
    QVERIFY(window->isVisible());
}

void tst_ScreenLifecycle::connectsWithAddressCurrentAtConnect() {
    IniProc();
    QCOMPARE(frmCIAP->netCIAP->Host(), m_a.host());
    QCOMPARE(frmCIAP->netCIAP->Port(), int(m_a.port()));
    QCOMPARE(frmCIAP->callServer(QStringLiteral("getVerificaImposto"), {QStringLiteral("01")}),
             QVariant(QVariantList{QStringLiteral("01")}));

    // The host moves the server; the open connection is lost; the next call connects again,
    // reading the address afresh.
    setWebServer(m_b.host(), m_b.port());
    m_a.dropConnections();
    const QVariant answer =
        frmCIAP->callServer(QStringLiteral("getVerificaImposto"), {QStringLiteral("02")});
    QCOMPARE(answer, QVariant(QVariantList{QStringLiteral("50")}));
    QCOMPARE(m_b.callsTo(QStringLiteral("getVerificaImposto")).size(), 1);
    QCOMPARE(m_b.callsTo(QStringLiteral("getVerificaImposto")).first().params,
             QJsonArray{QStringLiteral("02")});
    QCOMPARE(frmCIAP->netCIAP->Port(), int(m_b.port()));
    QVERIFY(m_dialogs.entries.isEmpty());
    m_b.clear();
    m_b.setDefault(QStringLiteral("getVerificaImposto"), QJsonArray{QStringLiteral("50")});
}

void tst_ScreenLifecycle::formCloseClosesConnectionFirst() {
    IniProc();
    QVERIFY(frmCIAP->netCIAP->Connected());
    TCloseAction action = TCloseAction::caHide;
    frmCIAP->FormClose(frmCIAP, action);
    QVERIFY(!frmCIAP->netCIAP->Connected());
    // The base form decides what closing does: it frees the screen.
    QCOMPARE(action, TCloseAction::caFree);
    QTRY_COMPARE(m_a.openConnections(), 0);
}

void tst_ScreenLifecycle::closingFreesTheScreen() {
    IniProc();
    QPointer<TfrmCIAP> first = frmCIAP;
    QTRY_COMPARE(m_a.openConnections(), 1);
    const int connections = m_a.connectionCount();
    QVERIFY(first->window()->close());
    QTRY_VERIFY(first.isNull());
    QVERIFY(!frmCIAP);
    QVERIFY(!boIdCriado);
    QTRY_COMPARE(m_a.openConnections(), 0);

    IniProc();
    QVERIFY(frmCIAP);
    QCOMPARE(screenCount(), 1);
    QCOMPARE(m_a.connectionCount(), connections + 1);

    // The toolbar's close does the same.
    first = frmCIAP;
    frmCIAP->sbtFechar->click();
    QTRY_VERIFY(first.isNull());
    QVERIFY(!boIdCriado);
}

void tst_ScreenLifecycle::mdiChildOfTheHost() {
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1000, 700);
    main.show();
    HostApplication::setMainWindow(&main);
    HostApplication::setMdiArea(area);

    IniProc();
    IniProc();
    QCOMPARE(area->subWindowList().size(), 1);
    QMdiSubWindow* sub = area->subWindowList().first();
    QCOMPARE(sub->widget(), frmCIAP);
    QCOMPARE(sub->windowTitle(), QStringLiteral("Controle de Crédito Imobilizado"));
    QCOMPARE(frmCIAP->size(), QSize(751, 460));
    QCOMPARE(HostApplication::windowOf(frmCIAP), sub);
    QCOMPARE(area->activeSubWindow(), sub);

    QPointer<TfrmCIAP> form = frmCIAP;
    sub->close();
    QTRY_VERIFY(form.isNull());
    QTRY_COMPARE(area->subWindowList().size(), 0);
    QVERIFY(!boIdCriado);
    IniProc();
    QCOMPARE(area->subWindowList().size(), 1);

    Cli_mzr02400_Finalization(); // the screen goes with its sub-window
    QTRY_COMPARE(area->subWindowList().size(), 0);
    HostApplication::setMainWindow(nullptr);
    HostApplication::setMdiArea(nullptr);
}

void tst_ScreenLifecycle::unitStartupAndShutdown() {
    IniProc();
    oleImposto = QVariantList{QStringLiteral("50")};
    stBemDel = QStringLiteral("0000000001");
    stCompetencia = QStringLiteral("01/03/2024");
    Cli_mzr02400_Finalization();
    QVERIFY(!oleImposto.isValid());
    QVERIFY(stBemDel.isEmpty());
    QVERIFY(stCompetencia.isEmpty());
    QVERIFY(!frmCIAP);
    QTRY_COMPARE(screenCount(), 0);
    boIdCriado = true;
    Cli_mzr02400_Initialization();
    QVERIFY(!boIdCriado);
}

QTEST_MAIN(tst_ScreenLifecycle)
#include "tst_screenlifecycle.moc"
