#include "Cli_mzr02400.h"
#include "HostServices.h"
#include "LiveScreenFixture.h"
#include "RpcTestClient.h"
#include "ScriptedServer.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TNetConnection.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

// What the user meets when things go wrong underneath the open screen: the server stops and
// comes back, a server refuses every call, the database refuses to be written. Each time the
// user is told in plain words, the busy indicator goes away, nothing typed is lost and
// nothing half-done is stored; once the cause is gone the same screen goes on working.
class tst_E2EFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void everyCallRefused_data();
    void everyCallRefused();
    void serverStoppedAndBack();
    void idleConnectionClosedByTheServer();
    void databaseRefusesWrites_data();
    void databaseRefusesWrites();
    void writesWorkAgainAfterTheDrills();

private:
    bool startServer(const QString& drill = {});
    void useServer(quint16 port);
    void commitFilter();
    void clickTab(QWidget* sheet);
    void click(QToolButton* button);
    bool selectMonth(const QString& month, const QString& registration = Registration);
    void typeNewRow(const QString& month, const QString& registration);
    int serverAssetCount(const QString& month);
    double serverCompetenciaCount(const QString& month, const QString& registration);
    QString dialogs() const { return m_fx.dialogs.texts().join(QLatin1Char('\n')); }

    static inline const QString Company = QStringLiteral("01");
    static inline const QString Tax = QStringLiteral("01");
    static inline const QString Registration = QStringLiteral("110042490114");
    static inline const QString OtherRegistration = QStringLiteral("110042490122");

    LiveScreenFixture m_fx;
    quint16 m_port = 0;
    ScriptedServer m_refusing;
    QString m_month;        // the current month, free in the demo data
    QString m_pending;      // last month: pending, its assets loaded
    QString m_appropriated; // three months back: appropriated
};

namespace {

QString monthText(int monthsBack) {
    return QDate::currentDate().addMonths(-monthsBack).toString(QStringLiteral("MM/yyyy"));
}

QString refusal(const QString& method) {
    return QStringLiteral("Serviço indisponível: %1").arg(method);
}

} // namespace

bool tst_E2EFaults::startServer(const QString& drill) {
    // The drills run on the demo data written at the first start.
    QStringList arguments;
    if (drill.isEmpty())
        arguments << QStringLiteral("--demo");
    else
        qputenv("CIAP_SQLITE_DRILL", drill.toUtf8());
    if (m_port != 0)
        arguments << QStringLiteral("--port") << QString::number(m_port);
    const bool started = m_fx.server.start(m_fx.database, arguments);
    qunsetenv("CIAP_SQLITE_DRILL");
    if (!started) {
        qWarning("%s", qPrintable(m_fx.server.error()));
        return false;
    }
    m_port = m_fx.server.port();
    return true;
}

// The screen takes the address at its next connection; the current one is dropped.
void tst_E2EFaults::useServer(quint16 port) {
    setWebServer(QStringLiteral("127.0.0.1"), port);
    frmCIAP->netCIAP->Close();
}

void tst_E2EFaults::initTestCase() {
    m_month = monthText(0);
    m_pending = monthText(1);
    m_appropriated = monthText(3);
    QVERIFY2(m_fx.start(), qPrintable(m_fx.error));
    m_port = m_fx.server.port();
    QVERIFY(m_refusing.listen());
    QVERIFY(m_fx.openScreen());
    commitFilter();
}

void tst_E2EFaults::cleanupTestCase() {
    QVERIFY(m_fx.stop());
}

// Back on the real server with the list of the first tab, whatever the test left behind.
void tst_E2EFaults::cleanup() {
    if (!m_fx.server.isRunning())
        QVERIFY(startServer());
    useServer(m_port);
    TfrmCIAP* f = frmCIAP;
    QVERIFY(f);
    const DataSetState state = f->cdsCIAP->State();
    if (state == DataSetState::Insert || state == DataSetState::Edit)
        click(f->sbtDesfazer);
    if (f->pgcPadrao->ActivePage() != f->tshPadrao)
        clickTab(f->tshPadrao);
    m_fx.dialogs.clear();
    if (!f->cdsCIAP->Active())
        commitFilter();
    QVERIFY(!busyIndicatorActive());
}

// The user fills the header (the period from three months back) and leaves it for the list.
void tst_E2EFaults::commitFilter() {
    TfrmCIAP* f = frmCIAP;
    f->edtCdEmpresa->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), f->edtCdEmpresa);
    f->edtCdEmpresa->selectAll();
    QTest::keyClicks(f->edtCdEmpresa, Company);
    QTest::keyClick(f->edtCdEmpresa, Qt::Key_Tab);
    f->edtCdImposto->selectAll();
    QTest::keyClicks(f->edtCdImposto, Tax);
    QTest::keyClick(f->edtCdImposto, Qt::Key_Tab);
    f->depInicial->SetDate(PriDiaMes(QDate::currentDate()).addMonths(-3));
    f->dbeInscEsta->setText(Registration);
    f->dbgPadrao->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->dbgPadrao));
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(dialogs()));
    QVERIFY(f->cdsCIAP->Active());
}

void tst_E2EFaults::clickTab(QWidget* sheet) {
    TPageControl* pages = frmCIAP->pgcPadrao;
    auto* bar = pages->findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(pages->indexOf(sheet)).center());
    QCOMPARE(pages->ActivePage(), sheet);
}

void tst_E2EFaults::click(QToolButton* button) {
    QVERIFY2(button->isEnabled(), qPrintable(button->objectName()));
    QTest::mouseClick(button, Qt::LeftButton);
}

bool tst_E2EFaults::selectMonth(const QString& month, const QString& registration) {
    TClientDataSet* list = frmCIAP->cdsCIAP;
    for (list->First(); !list->Eof(); list->Next())
        if (frmCIAP->cdsCIAPCOMPETENCIA->AsString() == month &&
            frmCIAP->cdsCIAPCDINSCESTA->AsString() == registration)
            return true;
    return false;
}

// A new row typed into the grid as a user does it, not yet saved.
void tst_E2EFaults::typeNewRow(const QString& month, const QString& registration) {
    TfrmCIAP* f = frmCIAP;
    click(f->sbtIncluir);
    QCOMPARE(f->cdsCIAP->State(), DataSetState::Insert);
    const QList<QPair<QString, QString>> cells{{QStringLiteral("COMPETENCIA"), month},
                                               {QStringLiteral("CDINSCESTA"), registration},
                                               {QStringLiteral("VRSAIDACIAP"), "1500"},
                                               {QStringLiteral("VRSAIDATRIBCIAP"), "900"}};
    for (const auto& [fieldName, text] : cells) {
        f->dbgPadrao->SetSelectedField(f->cdsCIAP->FieldByName(fieldName));
        QString typed = text;
        for (const QChar c : typed.remove(QLatin1Char('/')))
            QTest::keyClicks(QApplication::focusWidget(), QString(c));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(f->cdsCIAPCOMPETENCIA->AsString(), month);
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(dialogs()));
}

int tst_E2EFaults::serverAssetCount(const QString& month) {
    RpcTestClient rpc;
    if (!rpc.connectTo(QStringLiteral("127.0.0.1"), m_port))
        return -1;
    const ciap::DataPacket list =
        rpc.packet(QStringLiteral("getCIAP"), {Company, Tax, "2000-01-01", "2999-12-01",
                                               "Apropriado", "Pendente", Registration});
    int sequenceColumn = -1;
    int monthColumn = -1;
    for (int c = 0; c < list.fields.size(); ++c) {
        if (list.fields.at(c).name == QLatin1String("NRSEQCIAP"))
            sequenceColumn = c;
        if (list.fields.at(c).name == QLatin1String("COMPETENCIA"))
            monthColumn = c;
    }
    for (const QVariantList& row : list.rows)
        if (row.value(monthColumn).toString() == month)
            return int(rpc.packet(QStringLiteral("getBensComp"),
                                  {month, Company, Tax, row.value(sequenceColumn).toString()})
                           .rows.size());
    return -1;
}

double tst_E2EFaults::serverCompetenciaCount(const QString& month, const QString& registration) {
    RpcTestClient rpc;
    if (!rpc.connectTo(QStringLiteral("127.0.0.1"), m_port))
        return -1;
    const ciap::DataPacket exists =
        rpc.packet(QStringLiteral("getCompet_Existe"), {month, Tax, Company, registration});
    return exists.rows.isEmpty() ? -1 : exists.rows.first().first().toDouble();
}

void tst_E2EFaults::everyCallRefused_data() {
    QTest::addColumn<QString>("page");    // prepared on the real server
    QTest::addColumn<QString>("month");   // the competência selected
    QTest::addColumn<QString>("action");  // a toolbar button, "tab" or "filter"
    QTest::addColumn<QString>("refused"); // the first call, whose refusal the user sees

    QTest::newRow("refresh the list") << "tshPadrao"
                                      << "pending"
                                      << "sbtVerificar"
                                      << "getCIAP";
    QTest::newRow("open the assets") << "tshPadrao"
                                     << "pending"
                                     << "tab"
                                     << "getBensComp";
    QTest::newRow("refresh the assets") << "tshBensComp"
                                        << "pending"
                                        << "sbtVerificar"
                                        << "getBensComp";
    QTest::newRow("reload the assets") << "tshBensComp"
                                       << "pending"
                                       << "sbtCarregar"
                                       << "getInscEsta";
    QTest::newRow("appropriate") << "tshPadrao"
                                 << "pending"
                                 << "sbtOK"
                                 << "Apropriar";
    QTest::newRow("cancel the appropriation") << "tshPadrao"
                                              << "appropriated"
                                              << "btnCancelar"
                                              << "cancelaApropriacao";
    QTest::newRow("delete") << "tshPadrao"
                            << "pending"
                            << "sbtExcluir"
                            << "delBensComp";
    QTest::newRow("save a new row") << "tshPadrao"
                                    << "new"
                                    << "sbtGravar"
                                    << "getInscEsta";
    QTest::newRow("commit the filter") << "tshPadrao"
                                       << "pending"
                                       << "filter"
                                       << "getCIAP";
}

// A server that answers every call with an error: each action shows that error once, through
// the dialog service, and leaves the screen as it was, busy indicator off.
void tst_E2EFaults::everyCallRefused() {
    QFETCH(QString, page);
    QFETCH(QString, month);
    QFETCH(QString, action);
    QFETCH(QString, refused);
    TfrmCIAP* f = frmCIAP;

    if (month == QLatin1String("new")) {
        typeNewRow(m_month, Registration);
    } else {
        QVERIFY(selectMonth(month == QLatin1String("pending") ? m_pending : m_appropriated));
    }
    QWidget* sheet = page == QLatin1String("tshPadrao") ? f->tshPadrao : f->tshBensComp;
    if (f->pgcPadrao->ActivePage() != sheet)
        clickTab(sheet);
    const QString selected = f->cdsCIAPCOMPETENCIA->AsString();
    const int rows = f->cdsCIAP->RecordCount();
    const int assets = f->cdsBensComp->Active() ? f->cdsBensComp->RecordCount() : -1;
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(dialogs()));

    // Every method the screen calls is refused with a text of the server's own.
    m_refusing.clear();
    for (const char* method :
         {"getCIAP", "getBensComp", "getVerificaImposto", "getVrParcelBemComp", "getCompet_Existe",
          "getNrseqCiap", "getInscEsta", "setCiap", "delBensComp", "GravaInfBensCiap",
          "CarregaImpostoNFBemParcela", "Apropriar", "cancelaApropriacao"})
        m_refusing.setDefaultError(QString::fromLatin1(method), ciap::RpcCode::ServerError,
                                   refusal(QString::fromLatin1(method)));
    useServer(m_refusing.port());
    const int shownBefore = busyIndicatorShownCount();
    if (action == QLatin1String("tab")) {
        clickTab(f->tshBensComp);
    } else if (action == QLatin1String("filter")) {
        f->edtCdEmpresa->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), f->edtCdEmpresa);
        f->dbgPadrao->setFocus();
    } else {
        click(f->findChild<QToolButton*>(action));
    }

    QVERIFY(!m_refusing.calls().isEmpty());
    QCOMPARE(m_refusing.calls().first().method, refused);
    QCOMPARE(m_fx.dialogs.errors(), QStringList{refusal(refused)});
    QVERIFY(!busyIndicatorActive());
    QVERIFY(frmCIAP);
    // The list the user was looking at is still there (the filter's commit had closed it on
    // entering the panel, and the filter is usable again).
    if (action == QLatin1String("filter")) {
        QVERIFY(f->edtCdEmpresa->isEnabled());
        return;
    }
    QCOMPARE(f->cdsCIAP->RecordCount(), rows);
    QCOMPARE(f->cdsCIAPCOMPETENCIA->AsString(), selected);
    if (assets >= 0)
        QCOMPARE(f->cdsBensComp->RecordCount(), assets);
    if (month == QLatin1String("new")) {
        QCOMPARE(f->cdsCIAP->State(), DataSetState::Insert);
        QCOMPARE(f->cdsCIAPVRSAIDACIAP->AsFloat(), 1500.0);
    }
    if (action == QLatin1String("sbtOK"))
        QVERIFY(busyIndicatorShownCount() > shownBefore);
}

// The server stops while the screen is open and comes back on the same address: the user is
// told, what was typed stays, and the same screen goes on as soon as the server is back.
void tst_E2EFaults::serverStoppedAndBack() {
    TfrmCIAP* f = frmCIAP;
    const int rows = f->cdsCIAP->RecordCount();
    QVERIFY(rows > 0);
    QVERIFY(m_fx.server.stop());

    click(f->sbtVerificar);
    QCOMPARE(m_fx.dialogs.errors().size(), 1);
    QVERIFY2(m_fx.dialogs.errors().first().startsWith(
                 QStringLiteral("Não foi possível conectar ao servidor de aplicação 127.0.0.1:%1")
                     .arg(m_port)),
             qPrintable(dialogs()));
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(f->cdsCIAP->RecordCount(), rows);
    m_fx.dialogs.clear();

    QVERIFY(startServer());
    click(f->sbtVerificar);
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(dialogs()));
    QCOMPARE(f->cdsCIAP->RecordCount(), rows);

    // A row typed in full, then the server goes away before it is saved.
    typeNewRow(m_month, Registration);
    QVERIFY(m_fx.server.stop());
    click(f->sbtGravar);
    QCOMPARE(m_fx.dialogs.errors().size(), 1);
    QVERIFY(m_fx.dialogs.errors().first().startsWith(
        QStringLiteral("Não foi possível conectar ao servidor de aplicação")));
    QCOMPARE(f->cdsCIAP->State(), DataSetState::Insert);
    QCOMPARE(f->cdsCIAPCOMPETENCIA->AsString(), m_month);
    QCOMPARE(f->cdsCIAPCDINSCESTA->AsString(), Registration);
    QCOMPARE(f->cdsCIAPVRSAIDACIAP->AsFloat(), 1500.0);
    QCOMPARE(f->cdsCIAPVRSAIDATRIBCIAP->AsFloat(), 900.0);
    QVERIFY(!busyIndicatorActive());
    m_fx.dialogs.clear();

    QVERIFY(startServer());
    click(f->sbtGravar);
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(dialogs()));
    QCOMPARE(f->cdsCIAP->State(), DataSetState::Browse);
    QCOMPARE(f->cdsCIAP->RecordCount(), rows + 1);
    QVERIFY(selectMonth(m_month));
    QCOMPARE(f->cdsCIAPVRSAIDACIAP->AsFloat(), 1500.0);
    QCOMPARE(serverCompetenciaCount(m_month, Registration), 1.0);
}

// The server closes a connection left idle; the user, back at the screen, notices nothing.
void tst_E2EFaults::idleConnectionClosedByTheServer() {
    TfrmCIAP* f = frmCIAP;
    const int rows = f->cdsCIAP->RecordCount();
    ServerProcess strict;
    QVERIFY2(strict.start(m_fx.database, {QStringLiteral("--idle-timeout-s"), QStringLiteral("1")}),
             qPrintable(strict.error()));
    useServer(strict.port());
    for (int i = 0; i < 3; ++i) {
        click(f->sbtVerificar);
        QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(dialogs()));
        QCOMPARE(f->cdsCIAP->RecordCount(), rows);
        QTest::qWait(1500);
    }
    QVERIFY(strict.stop());
    QVERIFY(strict.log().count("idle for 1 s, closing") >= 2);
}

void tst_E2EFaults::databaseRefusesWrites_data() {
    QTest::addColumn<QString>("drill");
    QTest::addColumn<QString>("action"); // "load" the month's assets, "post" a new month
    QTest::addColumn<QString>("message");

    const QString readOnly = QStringLiteral("Banco de dados somente leitura: o servidor não pode "
                                            "gravar. Nada foi gravado; avise o suporte.");
    const QString full = QStringLiteral("Banco de dados cheio: não há espaço para gravar. Nada "
                                        "foi gravado; avise o suporte.");
    QTest::newRow("read-only, load") << "query_only=ON"
                                     << "load" << readOnly;
    QTest::newRow("read-only, post") << "query_only=ON"
                                     << "post" << readOnly;
    QTest::newRow("full, load") << "max_page_count=1"
                                << "load" << full;
}

// The database cannot be written (a read-only mount, a full disk; drilled through the server's
// SQLite pragmas): the server says so in plain words, the screen shows it, and neither the
// month nor its assets are half-stored.
void tst_E2EFaults::databaseRefusesWrites() {
    QFETCH(QString, drill);
    QFETCH(QString, action);
    QFETCH(QString, message);
    TfrmCIAP* f = frmCIAP;
    QVERIFY2(selectMonth(m_month), "the month saved by serverStoppedAndBack");
    QCOMPARE(serverAssetCount(m_month), 0);
    const double balance = f->cdsCIAPVRSALDOPARCCIAP->AsFloat();
    QVERIFY(m_fx.server.stop());
    QVERIFY(startServer(drill));

    if (action == QLatin1String("load")) {
        clickTab(f->tshBensComp);
        QVERIFY(f->cdsBensComp->IsEmpty());
        click(f->sbtCarregar);
        QCOMPARE(m_fx.dialogs.errors(), QStringList{message});
        QVERIFY(f->cdsBensComp->IsEmpty());
        QCOMPARE(serverAssetCount(m_month), 0);
        clickTab(f->tshPadrao);
        QVERIFY(selectMonth(m_month));
        QCOMPARE(f->cdsCIAPITEMEXISTE->AsFloat(), 0.0);
        QCOMPARE(f->cdsCIAPVRSALDOPARCCIAP->AsFloat(), balance);
    } else {
        typeNewRow(m_month, OtherRegistration);
        click(f->sbtGravar);
        QCOMPARE(m_fx.dialogs.errors(), QStringList{message});
        QCOMPARE(f->cdsCIAP->State(), DataSetState::Insert);
        QCOMPARE(f->cdsCIAPCDINSCESTA->AsString(), OtherRegistration);
        QCOMPARE(serverCompetenciaCount(m_month, OtherRegistration), 0.0);
    }
    QVERIFY(!busyIndicatorActive());
    m_fx.dialogs.clear();
    QVERIFY(m_fx.server.stop());
}

// Without the drill the same month loads in full: nothing the refused writes left behind
// stands in the way.
void tst_E2EFaults::writesWorkAgainAfterTheDrills() {
    TfrmCIAP* f = frmCIAP;
    QVERIFY(selectMonth(m_month));
    clickTab(f->tshBensComp);
    click(f->sbtCarregar);
    QCOMPARE(m_fx.dialogs.texts(), QStringList{QStringLiteral("Operação concluída com sucesso.")});
    QVERIFY(f->cdsBensComp->RecordCount() > 0);
    QCOMPARE(serverAssetCount(m_month), f->cdsBensComp->RecordCount());
}

QTEST_MAIN(tst_E2EFaults)
#include "tst_e2e_faults.moc"
