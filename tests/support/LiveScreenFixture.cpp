#include "LiveScreenFixture.h"

#include "Cli_mzr02400.h"
#include "DtmDBGeral.h"
#include "HostApplication.h"
#include "HostServices.h"
#include "TfrmCIAP.h"

#include <QTest>
#include <QWidget>

bool LiveScreenFixture::start(const QString& location, const QStringList& arguments) {
    if (location.isEmpty() && !dir.isValid()) {
        error = QStringLiteral("no temporary directory");
        return false;
    }
    database = location.isEmpty() ? dir.filePath(QStringLiteral("ciap.sqlite")) : location;
    serverArguments = arguments;
    DialogService::setInstance(&dialogs);
    if (!startServer())
        return false;
    dtmDBGeral().open(database);
    Cli_mzr02400_Initialization();
    return true;
}

bool LiveScreenFixture::stop() {
    const bool closed = closeScreen();
    dtmDBGeral().close();
    const bool stopped = server.stop();
    DialogService::setInstance(nullptr);
    return closed && stopped;
}

bool LiveScreenFixture::startServer() {
    if (!server.start(database, serverArguments)) {
        error = server.error();
        return false;
    }
    setWebServer(server.host(), server.port());
    return true;
}

bool LiveScreenFixture::openScreen() {
    IniProc();
    if (!frmCIAP)
        return false;
    QWidget* window = HostApplication::windowOf(frmCIAP);
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

bool LiveScreenFixture::closeScreen() {
    if (!frmCIAP)
        return true;
    HostApplication::windowOf(frmCIAP)->close();
    return QTest::qWaitFor([] { return !frmCIAP; });
}
