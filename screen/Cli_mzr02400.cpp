#include "Cli_mzr02400.h"

#include "HostApplication.h"
#include "HostServices.h"
#include "TDateEditPlus.h"
#include "TfrmCIAP.h"

#include <QGuiApplication>

TfrmCIAP* frmCIAP = nullptr;
bool boIdCriado = false;
QString stCompetencia;
QDate dtData;
QString stBemDel;
QDate dtCopetDel;
QVariant oleImposto;

namespace {

// The hourglass goes away on every path, also when creating or showing the screen fails.
class WaitCursor final {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void createScreen() {
    auto* form = TfrmPadraoGrid::Create<TfrmCIAP>();
    HostApplication::adoptForm(form);
    // The base form frees the screen on close: the next IniProc must build a new one, and its
    // FormCreate connects again.
    QObject::connect(form, &QObject::destroyed, [form] {
        if (frmCIAP == form) {
            frmCIAP = nullptr;
            boIdCriado = false;
        }
    });
    frmCIAP = form;
}

} // namespace

QDate defaultPeriodStart(const QDate& start) {
    return PriDiaMes(start.addDays(-30));
}

QDate defaultPeriodEnd(const QDate& end) {
    return PriDiaMes(end);
}

void IniProc() {
    criaCIAP();
}

void criaCIAP() {
    WaitCursor wait;
    if (!boIdCriado) {
        createScreen();
        boIdCriado = true;
    }
    HostApplication::show(frmCIAP);
    if (frmCIAP->edtCdEmpresa->isEnabled())
        frmCIAP->edtCdEmpresa->setFocus();
    if (frmCIAP->depInicial->isEnabled() && frmCIAP->depFinal->isEnabled()) {
        // A date edit that holds no date has no period to move.
        const QDate start = frmCIAP->depInicial->GetDate();
        if (start.isValid())
            frmCIAP->depInicial->SetDate(defaultPeriodStart(start));
        const QDate end = frmCIAP->depFinal->GetDate();
        if (end.isValid())
            frmCIAP->depFinal->SetDate(defaultPeriodEnd(end));
    }
    HostApplication::showNormal(frmCIAP);
}

void Cli_mzr02400_Initialization() {
    boIdCriado = false;
}

void Cli_mzr02400_Finalization() {
    // The screen's code goes away with the package: a screen still open would be left
    // without it.
    delete HostApplication::windowOf(frmCIAP);
    frmCIAP = nullptr;
    boIdCriado = false;
    oleImposto = QVariant();
    stBemDel.clear();
    stCompetencia.clear();
}
