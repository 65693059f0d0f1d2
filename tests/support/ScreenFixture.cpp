#include "ScreenFixture.h"

#include "HostServices.h"
#include "TfrmCIAP.h"

#include <QLineEdit>
#include <QTest>

bool ScreenFixture::start(Window window) {
    DialogService::setInstance(&dialogs);
    if (!server.listen()) {
        error = QStringLiteral("the scripted server does not listen");
        return false;
    }
    setWebServer(server.host(), server.port());
    form = TfrmPadraoGrid::Create<TfrmCIAP>();
    if (window == Window::Hidden)
        return true;
    form->show();
    if (window == Window::Shown)
        return true;
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form)) {
        error = QStringLiteral("the screen's window never became active");
        return false;
    }
    return true;
}

void ScreenFixture::fillHeader() {
    form->edtCdEmpresa->setText(fixture::Company);
    form->edtCdImposto->setText(fixture::Tax);
}

void ScreenFixture::stop() {
    delete form;
    form = nullptr;
    DialogService::setInstance(nullptr);
}
