#include "HostErrors.h"
#include "RecordingDialogService.h"
#include "TClientDataSet.h"
#include "TDBNavigator.h"
#include "TDBText.h"
#include "TDataSource.h"
#include "TMainMenu.h"
#include "TMessages.h"
#include "TPageControl.h"
#include "TfrmPadraoGrid.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(DialogAnswer)
Q_DECLARE_METATYPE(TCloseAction)

// The base grid form: handlers connected by name reach the derived form, the record commands
// act on dtsPadrao's data set, closing follows the close handler's decision; and the small
// host widgets it is made of.
namespace {

class RecordingForm final : public TfrmPadraoGrid {
public:
    QStringList calls;
    TCloseAction closeAction = TCloseAction::caFree;
    bool failClose = false;

    void FormCreate(QObject* sender) override {
        calls << QStringLiteral("FormCreate");
        TfrmPadraoGrid::FormCreate(sender);
    }
    void FormClose(QObject*, TCloseAction& action) override {
        calls << QStringLiteral("FormClose");
        if (failClose)
            throw EHostError(QStringLiteral("não fecha"));
        action = closeAction;
    }
    void dtsPadraoStateChange(QObject* sender) override {
        calls << QStringLiteral("StateChange");
        TfrmPadraoGrid::dtsPadraoStateChange(sender);
    }
    void sbtVerificarClick(QObject*) override { calls << QStringLiteral("Verificar"); }
};

ciap::DataPacket names(const QStringList& values) {
    ciap::DataPacket p;
    p.fields = {{QStringLiteral("NOME"), ciap::FieldType::String, 20}};
    for (const QString& v : values)
        p.rows.append({v});
    return p;
}

} // namespace

class tst_BaseGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void handlersByNameReachDerivedForm();
    void recordCommands();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void commandErrorIsShown();
    void baseCommandState_data();
    void baseCommandState();
    void closeActions_data();
    void closeActions();
    void failingCloseKeepsForm();
    void mainMenuChange();
    void pageControlChange();
    void navigatorFollowsCursor();
    void dbTextShowsCurrentRow();

private:
    RecordingDialogService m_dialogs;
    TClientDataSet* m_ds = nullptr;
};

void tst_BaseGrid::initTestCase() {
    DialogService::setInstance(&m_dialogs);
}

void tst_BaseGrid::init() {
    m_dialogs.clear();
    delete m_ds;
    m_ds = new TClientDataSet(this);
    m_ds->SetData(names({"a", "b", "c"}));
}

void tst_BaseGrid::cleanupTestCase() {
    DialogService::setInstance(nullptr);
}

void tst_BaseGrid::handlersByNameReachDerivedForm() {
    std::unique_ptr<RecordingForm> form(TfrmPadraoGrid::Create<RecordingForm>());
    QCOMPARE(form->calls, QStringList({"FormCreate", "StateChange"}));
    form->AfterConstruction(); // creation runs once
    QCOMPARE(form->calls.count(QStringLiteral("FormCreate")), 1);

    form->calls.clear();
    form->dtsPadrao->SetDataSet(m_ds);
    QCOMPARE(form->calls, QStringList{"StateChange"});
    m_ds->Edit();
    m_ds->Cancel();
    QCOMPARE(form->calls.count(QStringLiteral("StateChange")), 3);

    form->calls.clear();
    QVERIFY(form->sbtVerificar->isEnabled());
    form->sbtVerificar->click();
    form->mnuVerificar->trigger();
    QCOMPARE(form->calls, QStringList({"Verificar", "Verificar"}));
}

void tst_BaseGrid::recordCommands() {
    std::unique_ptr<TfrmPadraoGrid> form(TfrmPadraoGrid::Create<TfrmPadraoGrid>());
    form->dtsPadrao->SetDataSet(m_ds);
    form->sbtIncluir->click();
    QCOMPARE(m_ds->State(), DataSetState::Insert);
    form->sbtDesfazer->click();
    QCOMPARE(m_ds->State(), DataSetState::Browse);
    QCOMPARE(m_ds->RecordCount(), 3);
    form->mnuAlterar->trigger(); // the menu twin does what its button does
    QCOMPARE(m_ds->State(), DataSetState::Edit);
    m_ds->FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("z"));
    form->mnuGravar->trigger();
    QCOMPARE(m_ds->State(), DataSetState::Browse);
    QCOMPARE(m_ds->FieldByName(QStringLiteral("NOME"))->AsString(), QStringLiteral("z"));
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_BaseGrid::deleteAsksFirst_data() {
    QTest::addColumn<DialogAnswer>("answer");
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("yes") << DialogAnswer::Yes << 2;
    QTest::newRow("no") << DialogAnswer::No << 3;
    QTest::newRow("closed without answer") << DialogAnswer::Cancel << 3;
}

void tst_BaseGrid::deleteAsksFirst() {
    QFETCH(DialogAnswer, answer);
    QFETCH(int, rowsLeft);
    std::unique_ptr<TfrmPadraoGrid> form(TfrmPadraoGrid::Create<TfrmPadraoGrid>());
    form->msgPadrao->Lines = {QStringLiteral("Excl|Confirma exclusão?")};
    form->dtsPadrao->SetDataSet(m_ds);
    m_dialogs.enqueueAnswer(answer);
    form->sbtExcluir->click();
    QCOMPARE(m_dialogs.entries.size(), 1);
    QVERIFY(m_dialogs.entries.first().question);
    QCOMPARE(m_dialogs.entries.first().kind, DialogKind::Confirmation);
    QCOMPARE(m_dialogs.entries.first().text, QStringLiteral("Confirma exclusão?"));
    QCOMPARE(m_ds->RecordCount(), rowsLeft);
}

void tst_BaseGrid::commandErrorIsShown() {
    std::unique_ptr<TfrmPadraoGrid> form(TfrmPadraoGrid::Create<TfrmPadraoGrid>());
    form->dtsPadrao->SetDataSet(m_ds);
    m_ds->BeforePost = [](TClientDataSet&) { throw EHostError(QStringLiteral("recusado")); };
    form->sbtAlterar->click();
    form->sbtGravar->click();
    QCOMPARE(m_dialogs.errors(), QStringList{"recusado"});
    QCOMPARE(m_ds->State(), DataSetState::Edit);
    // A silent abort shows nothing more.
    m_dialogs.clear();
    m_ds->BeforePost = [](TClientDataSet&) { throw EAbort(); };
    form->sbtGravar->click();
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_BaseGrid::baseCommandState_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>(
        "expected"); // Incluir Alterar Excluir Auxiliar Verificar Gravar Desfazer
    QTest::newRow("no data set") << "none"
                                 << "0000000";
    QTest::newRow("closed") << "closed"
                            << "0000000";
    QTest::newRow("empty") << "empty"
                           << "1000100";
    QTest::newRow("rows") << "rows"
                          << "1111100";
    QTest::newRow("editing") << "edit"
                             << "0000011";
}

void tst_BaseGrid::baseCommandState() {
    QFETCH(QString, setup);
    QFETCH(QString, expected);
    std::unique_ptr<TfrmPadraoGrid> form(TfrmPadraoGrid::Create<TfrmPadraoGrid>());
    if (setup == QLatin1String("closed"))
        m_ds->Close();
    else if (setup == QLatin1String("empty"))
        m_ds->EmptyDataSet();
    if (setup != QLatin1String("none"))
        form->dtsPadrao->SetDataSet(m_ds);
    if (setup == QLatin1String("edit"))
        m_ds->Edit();
    QString state;
    for (QToolButton* b : {form->sbtIncluir, form->sbtAlterar, form->sbtExcluir, form->sbtAuxiliar,
                           form->sbtVerificar, form->sbtGravar, form->sbtDesfazer}) {
        state += b->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        QCOMPARE(form->menuTwin(b)->isEnabled(), b->isEnabled());
    }
    QCOMPARE(state, expected);
}

void tst_BaseGrid::closeActions_data() {
    QTest::addColumn<TCloseAction>("action");
    QTest::addColumn<bool>("destroyed");
    QTest::addColumn<bool>("visible");
    QTest::newRow("free") << TCloseAction::caFree << true << false;
    QTest::newRow("hide") << TCloseAction::caHide << false << false;
    QTest::newRow("none") << TCloseAction::caNone << false << true;
    QTest::newRow("minimize") << TCloseAction::caMinimize << false << true;
}

void tst_BaseGrid::closeActions() {
    QFETCH(TCloseAction, action);
    QFETCH(bool, destroyed);
    QFETCH(bool, visible);
    QPointer<RecordingForm> form(TfrmPadraoGrid::Create<RecordingForm>());
    form->closeAction = action;
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->calls.clear();
    form->sbtFechar->click();
    if (destroyed) {
        QTRY_VERIFY(form.isNull());
        return;
    }
    QCoreApplication::processEvents();
    QVERIFY(!form.isNull());
    QCOMPARE(form->calls, QStringList{"FormClose"});
    QCOMPARE(form->isVisible(), visible);
    if (action == TCloseAction::caMinimize)
        QVERIFY(form->windowState() & Qt::WindowMinimized);
    delete form;
}

void tst_BaseGrid::failingCloseKeepsForm() {
    std::unique_ptr<RecordingForm> form(TfrmPadraoGrid::Create<RecordingForm>());
    form->failClose = true;
    form->show();
    QVERIFY(!form->close());
    QVERIFY(form->isVisible());
    QCOMPARE(m_dialogs.errors(), QStringList{"não fecha"});
}

void tst_BaseGrid::mainMenuChange() {
    TMainMenu menu;
    QMenu* sub = menu.addWatchedMenu(QStringLiteral("&Operação"), QStringLiteral("mnuOperacao"));
    QAction* a = sub->addAction(QStringLiteral("A"));
    QAction* mark = sub->addAction(QStringLiteral("B"));
    mark->setCheckable(true);
    QList<QPair<QAction*, bool>> seen;
    menu.OnChange = [&](QObject* sender, QAction* source, bool rebuild) {
        QCOMPARE(sender, &menu);
        seen.append({source, rebuild});
        mark->setChecked(!mark->isChecked()); // a change made here does not come back
    };
    a->setEnabled(false);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen.first().first, a);
    QVERIFY(!seen.first().second);
    QAction* added = sub->addAction(QStringLiteral("C"));
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.last().first, added);
    QVERIFY(seen.last().second);
}

void tst_BaseGrid::pageControlChange() {
    TPageControl pgc;
    auto* one = new QWidget;
    auto* two = new QWidget;
    pgc.addTab(one, QStringLiteral("Um"));
    pgc.addTab(two, QStringLiteral("Dois"));
    pgc.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pgc));
    int changes = 0;
    pgc.OnChange = [&](QObject*) { ++changes; };
    pgc.SetActivePage(two);
    QCOMPARE(changes, 0);
    pgc.SelectPage(one);
    QCOMPARE(changes, 1);
    pgc.SelectPage(one); // no change, no event
    QCOMPARE(changes, 1);
    QTabBar* bar = pgc.tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    QCOMPARE(pgc.ActivePage(), two);
    QCOMPARE(changes, 2);
    pgc.SetSheetEnabled(one, false);
    QVERIFY(!pgc.SheetEnabled(one));
    QVERIFY(!one->isEnabled());
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
    QCOMPARE(pgc.ActivePage(), two); // a disabled tab cannot be picked
    QCOMPARE(changes, 2);
}

void tst_BaseGrid::navigatorFollowsCursor() {
    TDataSource source;
    source.SetDataSet(m_ds);
    TDBNavigator nav;
    nav.SetDataSource(&source);
    QVERIFY(!nav.nbFirst->isEnabled() && !nav.nbPrior->isEnabled());
    QVERIFY(nav.nbNext->isEnabled() && nav.nbLast->isEnabled());
    nav.nbNext->click();
    QCOMPARE(m_ds->RecNo(), 2);
    QVERIFY(nav.nbFirst->isEnabled() && nav.nbNext->isEnabled());
    nav.nbLast->click();
    QCOMPARE(m_ds->RecNo(), 3);
    QVERIFY(!nav.nbNext->isEnabled() && !nav.nbLast->isEnabled());
    m_ds->First();
    QVERIFY(!nav.nbPrior->isEnabled());
    m_ds->Close();
    QVERIFY(!nav.nbFirst->isEnabled() && !nav.nbLast->isEnabled());
}

void tst_BaseGrid::dbTextShowsCurrentRow() {
    TDataSource source;
    TDBText text;
    text.SetDataField(QStringLiteral("NOME"));
    text.SetDataSource(&source);
    QCOMPARE(text.text(), QString());
    source.SetDataSet(m_ds);
    QCOMPARE(text.text(), QStringLiteral("a"));
    m_ds->Next();
    QCOMPARE(text.text(), QStringLiteral("b"));
    m_ds->Edit();
    m_ds->FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("novo"));
    m_ds->Post();
    QCOMPARE(text.text(), QStringLiteral("novo"));
    m_ds->Close();
    QCOMPARE(text.text(), QString());
}

QTEST_MAIN(tst_BaseGrid)
#include "tst_basegrid.moc"
