#include "HostServices.h"
#include "PackageInfo.h"
#include "RecordingDialogService.h"
#include "ScriptedServer.h"

#include <QApplication>
#include <QLibrary>
#include <QTest>
#include <QWidget>

// The package loaded as the host does it: entries resolved by name, the unit started once per
// load however often asked, one screen however often IniProc is called, and nothing left
// behind when it is unloaded.
class tst_Package : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void exportsItsEntriesByName();
    void oneScreenAcrossCalls();
    void startsOncePerLoad();
    void reloadStartsAfresh();

private:
    static int screens();
    template <class T> T resolve(const char* symbol) {
        return reinterpret_cast<T>(m_library.resolve(symbol));
    }

    RecordingDialogService m_dialogs;
    ScriptedServer m_server;
    QLibrary m_library{QStringLiteral(CIAP_PACKAGE_FILE)};
};

int tst_Package::screens() {
    int n = 0;
    for (QWidget* w : QApplication::allWidgets())
        if (w->inherits("TfrmCIAP"))
            ++n;
    return n;
}

void tst_Package::initTestCase() {
    DialogService::setInstance(&m_dialogs);
    QVERIFY(m_server.listen());
    setWebServer(m_server.host(), m_server.port());
}

void tst_Package::cleanupTestCase() {
    if (m_library.isLoaded())
        m_library.unload();
    DialogService::setInstance(nullptr);
}

void tst_Package::exportsItsEntriesByName() {
    QVERIFY2(m_library.load(), qPrintable(m_library.errorString()));
    for (const char* symbol :
         {"IniProc", "criaCIAP", "Initialize", "Finalize", "GetPackageInfoTable", "frmCIAP",
          "boIdCriado", "stCompetencia", "dtData", "stBemDel", "dtCopetDel", "oleImposto"})
        QVERIFY2(m_library.resolve(symbol), symbol);
    auto table = resolve<const PackageInfoTable* (*)()>("GetPackageInfoTable")();
    QVERIFY(table);
    QCOMPARE(table->unitCount, 1);
    QCOMPARE(QByteArray(table->units[0].name), QByteArray("Cli_mzr02400"));
    QVERIFY(table->units[0].initialization && table->units[0].finalization);
}

void tst_Package::oneScreenAcrossCalls() {
    QVERIFY(m_library.load());
    auto initialize = resolve<void (*)()>("Initialize");
    auto finalize = resolve<void (*)()>("Finalize");
    auto iniProc = resolve<void (*)()>("IniProc");
    auto* frmCIAP = resolve<QWidget**>("frmCIAP");
    auto* boIdCriado = resolve<bool*>("boIdCriado");
    initialize();
    QVERIFY(!*boIdCriado);
    QVERIFY(!*frmCIAP);
    const int connections = m_server.connectionCount();
    for (int i = 0; i < 4; ++i)
        iniProc();
    QCOMPARE(screens(), 1);
    QVERIFY(*boIdCriado);
    QVERIFY(*frmCIAP);
    QVERIFY((*frmCIAP)->isVisible());
    QCOMPARE((*frmCIAP)->windowTitle(), QStringLiteral("Controle de Crédito Imobilizado"));
    QCOMPARE(m_server.connectionCount(), connections + 1);
    finalize(); // the screen goes with the unit's shut-down
    QCOMPARE(screens(), 0);
    QVERIFY(!*frmCIAP);
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_Package::startsOncePerLoad() {
    QVERIFY(m_library.load());
    auto initialize = resolve<void (*)()>("Initialize");
    auto finalize = resolve<void (*)()>("Finalize");
    auto iniProc = resolve<void (*)()>("IniProc");
    auto* boIdCriado = resolve<bool*>("boIdCriado");
    auto* stBemDel = resolve<QString*>("stBemDel");
    initialize();
    iniProc();
    *stBemDel = QStringLiteral("0000000007");
    initialize(); // asked again: the unit is not started a second time
    QVERIFY(*boIdCriado);
    QCOMPARE(screens(), 1);
    finalize(); // one of two start-ups undone: still running
    QCOMPARE(screens(), 1);
    QCOMPARE(*stBemDel, QStringLiteral("0000000007"));
    finalize(); // the last: shut down
    QCOMPARE(screens(), 0);
    QVERIFY(stBemDel->isEmpty());
    finalize(); // more shut-downs than start-ups change nothing
    QCOMPARE(screens(), 0);
}

void tst_Package::reloadStartsAfresh() {
    QVERIFY(m_library.unload());
    QVERIFY(!m_library.isLoaded());
    QVERIFY(m_library.load());
    resolve<void (*)()>("Initialize")();
    QVERIFY(!*resolve<bool*>("boIdCriado"));
    resolve<void (*)()>("IniProc")();
    QCOMPARE(screens(), 1);
    resolve<void (*)()>("Finalize")();
    QCOMPARE(screens(), 0);
    QVERIFY(m_library.unload());
}

QTEST_MAIN(tst_Package)
#include "tst_package.moc"
