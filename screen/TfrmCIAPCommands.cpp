#include "DialogService.h"
#include "HostServices.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TMessages.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QLineEdit>
#include <QToolButton>

// Commands on the selected competência as a whole: load, appropriate, cancel, refresh. The
// server does the work; the screen asks, calls and reloads. Every argument comes from the
// selected competência row, also on the assets tab.
//
// The two kinds of question differ on purpose: a load goes on unless the user says No, an
// appropriation or its cancellation only when the user says Yes.

void TfrmCIAP::sbtCarregarClick(QObject*) {
    if (cdsRetorno->Active())
        cdsRetorno->EmptyDataSet();
    else
        cdsRetorno->CreateDataSet();

    const auto load = [this](const QString& mode) {
        cdsRetorno->SetData(
            callServer(QStringLiteral("CarregaImpostoNFBemParcela"),
                       {cdsCIAPCOMPETENCIA->AsString(), edtCdEmpresa->text(), edtCdImposto->text(),
                        cdsCIAPVRSALDOPARCCIAP->AsFloat(), mode, cdsCIAPCDINSCESTA->AsString(),
                        cdsCIAPNRSEQCIAP->AsString()}));
        return !cdsRetorno->IsEmpty() && cdsRetornoRetorno->AsString() == QLatin1String("OK");
    };
    const auto stoppedByNo = [this](const QString& key) {
        return DialogService::instance().askYesNo(DialogKind::Information, msgPadrao->Msg(key)) ==
               DialogAnswer::No;
    };

    if (pgcPadrao->ActivePage() == tshPadrao) {
        if ((cdsCIAPVRSAIDACIAP->AsFloat() > 0 || cdsCIAPVRSAIDATRIBCIAP->AsFloat() > 0) &&
            stoppedByNo(QStringLiteral("RECALC")))
            return;
        if (!load(QStringLiteral("IMP")))
            MensErro(msgPadrao->Msg(QStringLiteral("TOTAL_NULO")));
        DialogService::instance().showMessage(DialogKind::Information,
                                              msgPadrao->Msg(QStringLiteral("OKAY")));
        AtualizaCIAP();
    }
    if (pgcPadrao->ActivePage() == tshBensComp) {
        VD_CDINSCESTA(true, QStringLiteral("GRID"));
        if (cdsBensComp->Active() && !cdsBensComp->IsEmpty() &&
            stoppedByNo(QStringLiteral("RECARREGA_BEM")))
            return;
        if (!load(QStringLiteral("BEM")))
            MensErro(msgPadrao->Msg(QStringLiteral("N_PARCELAS")));
        DialogService::instance().showMessage(DialogKind::Information,
                                              msgPadrao->Msg(QStringLiteral("OKAY")));
        AtualizaBensComp();
    }
}

void TfrmCIAP::sbtOKClick(QObject*) {
    if (DialogService::instance().askYesNo(DialogKind::Confirmation,
                                           msgPadrao->Msg(QStringLiteral("APROPRIAR"))) !=
        DialogAnswer::Yes)
        return;
    // The server recomputes the coefficient itself; what it might write back is not used.
    const double coefficient = cdsCIAPVRCOEFICIAP->AsFloat();
    {
        const BusyScope busy(this);
        callServer(QStringLiteral("Apropriar"),
                   {edtCdEmpresa->text(), edtCdImposto->text(), cdsCIAPCOMPETENCIA->AsString(),
                    coefficient, cdsCIAPNRSEQCIAP->AsString()});
    }
    AtualizaCIAP();
}

void TfrmCIAP::btnCancelarClick(QObject*) {
    if (DialogService::instance().askYesNo(
            DialogKind::Confirmation, msgPadrao->Msg(QStringLiteral("Cancelar_APROPRIACAO"))) !=
        DialogAnswer::Yes)
        return;
    // The month is named by its date and the tax by the row's own code here, unlike Apropriar.
    const QVariantList answer =
        callServer(QStringLiteral("cancelaApropriacao"),
                   {edtCdEmpresa->text(), cdsCIAPNRSEQCIAP->AsString(),
                    cdsCIAPDTCOMPETECIAP->AsDateTime(), cdsCIAPCDIMPOSTO->AsString()})
            .toList();
    if (answer.isEmpty() || answer.first().toString() != QLatin1String("OK"))
        return;
    DialogService::instance().showMessage(DialogKind::Information,
                                          msgPadrao->Msg(QStringLiteral("OPER_OK")));
    sbtVerificar->click();
}

void TfrmCIAP::sbtVerificarClick(QObject*) {
    if (dtsPadrao->DataSet() == cdsCIAP)
        AtualizaCIAP();
    if (dtsPadrao->DataSet() == cdsBensComp)
        AtualizaBensComp();
}
