#include "CiapApi.h"
#include "Cli_mzr02400.h"
#include "EventLoopHeartbeat.h"
#include "HostServices.h"
#include "LiveScreenFixture.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TNetConnection.h"
#include "TPageControl.h"
#include "TestDatabase.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

// Long work on the real server: a competência with some fifty thousand assets. While the
// screen waits for their list, the window keeps painting and shows the busy indicator.
class tst_E2ELongWork : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void listOfManyAssetsKeepsTheWindowAlive();
    void reloadOfManyAssetsKeepsTheEventLoopRunning();

private:
    void clickTab(QWidget* sheet);

    TestDatabase m_db;
    LiveScreenFixture m_fx;
    int m_assets = 0;
};

namespace {

constexpr int ManyAssets = 50000;

} // namespace

void tst_E2ELongWork::initTestCase() {
    QString why;
    if (!m_db.create(&why))
        QSKIP(qPrintable(why));
    m_db.reset();
    QElapsedTimer clock;
    clock.start();
    m_db.addManyAssets(ManyAssets);
    QVERIFY2(m_fx.start(m_db.location(), {}), qPrintable(m_fx.error));
    RpcTestClient rpc;
    QVERIFY(rpc.connectTo(m_fx.server.host(), m_fx.server.port()));
    CiapApi api(rpc);
    QCOMPARE(rpc.errorCode(api.create(fixture::Company, fixture::Tax, "111", "01/2024")), 0);
    const ciap::DataPacket list = api.list(fixture::Company, fixture::Tax);
    QCOMPARE(list.rows.size(), 1);
    QCOMPARE(rpc.errorCode(api.load(list, 0, "BEM")), 0);
    m_assets = int(rpc.packet(QStringLiteral("getBensComp"), api.key(list, 0)).rows.size());
    QVERIFY(m_assets > ManyAssets);
    qInfo("%d assets prepared in %lld ms", m_assets, qint64(clock.elapsed()));

    QVERIFY(m_fx.openScreen());
    TfrmCIAP* f = frmCIAP;
    f->edtCdEmpresa->setText(fixture::Company);
    f->edtCdImposto->setText(fixture::Tax);
    f->depInicial->SetDate(QDate(2024, 1, 1));
    f->depFinal->SetDate(QDate(2024, 1, 1));
    f->dbeInscEsta->setText(QStringLiteral("111"));
    f->dbgPadrao->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->dbgPadrao));
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(m_fx.dialogs.texts().join('\n')));
    QCOMPARE(f->cdsCIAP->RecordCount(), 1);
}

void tst_E2ELongWork::cleanupTestCase() {
    QVERIFY(m_fx.stop());
}

void tst_E2ELongWork::clickTab(QWidget* sheet) {
    TPageControl* pages = frmCIAP->pgcPadrao;
    auto* bar = pages->findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(pages->indexOf(sheet)).center());
    QCOMPARE(pages->ActivePage(), sheet);
}

void tst_E2ELongWork::listOfManyAssetsKeepsTheWindowAlive() {
    TfrmCIAP* f = frmCIAP;
    const int shown = busyIndicatorShownCount();
    QElapsedTimer clock;
    clock.start();
    EventLoopHeartbeat heartbeat(5);
    clickTab(f->tshBensComp);
    heartbeat.stop();
    const qint64 elapsed = clock.elapsed();
    qInfo("%d assets listed in %lld ms; %d ticks and %d paints while busy; longest gap %lld ms",
          f->cdsBensComp->RecordCount(), elapsed, heartbeat.busyTicks, heartbeat.paints,
          heartbeat.longestGapMs);
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(m_fx.dialogs.texts().join('\n')));
    QCOMPARE(f->cdsBensComp->RecordCount(), m_assets);
    QCOMPARE(f->dbgBensComp->model()->rowCount(), m_assets);
    QCOMPARE(busyIndicatorShownCount(), shown + 1);
    QVERIFY(!busyIndicatorActive());
    // The event loop ran while the indicator was up, and the indicator was painted.
    QVERIFY2(heartbeat.busyTicks >= 2, qPrintable(QString::number(heartbeat.busyTicks)));
    QVERIFY2(heartbeat.paints >= 1, qPrintable(QString::number(heartbeat.paints)));
}

// The load command waits without the busy indicator, but the window is not frozen either:
// timers and paints go on while the server rewrites the month's assets.
void tst_E2ELongWork::reloadOfManyAssetsKeepsTheEventLoopRunning() {
    TfrmCIAP* f = frmCIAP;
    QCOMPARE(f->pgcPadrao->ActivePage(), f->tshBensComp);
    int ticks = 0;
    int ticksInCall = 0;
    QTimer timer;
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, [&] {
        ++ticks;
        if (f->netCIAP->callInProgress())
            ++ticksInCall;
    });
    timer.start();
    QElapsedTimer clock;
    clock.start();
    m_fx.dialogs.enqueueAnswer(DialogAnswer::Yes);
    QTest::mouseClick(f->sbtCarregar, Qt::LeftButton);
    timer.stop();
    qInfo("%d assets reloaded in %lld ms; %d ticks, %d of them during a server call",
          f->cdsBensComp->RecordCount(), qint64(clock.elapsed()), ticks, ticksInCall);
    QCOMPARE(m_fx.dialogs.texts(),
             (QStringList{QStringLiteral("Deseja recarregar os Bens da competência informada. "),
                          QStringLiteral("Operação concluída com sucesso.")}));
    QCOMPARE(f->cdsBensComp->RecordCount(), m_assets);
    QVERIFY(!busyIndicatorActive());
    QVERIFY2(ticksInCall >= 3, qPrintable(QString::number(ticksInCall)));
    m_fx.dialogs.clear();
}

QTEST_MAIN(tst_E2ELongWork)
#include "tst_e2e_longwork.moc"
