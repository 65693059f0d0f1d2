#include "Cli_mzr02400.h"
#include "DialogService.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "LocaleFormat.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TMessages.h"
#include "TfrmCIAP.h"

#include <QLineEdit>

// Competências: editing and persistence, calculations.
//
// Everything a post computes is written into the row being posted, step by step; a failing
// step aborts the post and leaves what the steps before it wrote, so the user corrects the
// row and posts again. Nothing here rounds: the display format rounds what is shown.

namespace {

// Taxes of these kinds take the whole balance as credit.
bool takesWholeBalance(const QString& kind) {
    return kind == QLatin1String("50") || kind == QLatin1String("60");
}

// Element 0, as text, of an answer that must be an array.
QString firstElement(const QVariant& data, const QString& method) {
    const int type = data.typeId();
    const QVariantList list = (type == QMetaType::QVariantList || type == QMetaType::QStringList)
                                  ? data.toList()
                                  : QVariantList();
    if (list.isEmpty())
        throw EHostError(
            QStringLiteral("Resposta inválida do servidor: %1 não devolveu um valor.").arg(method));
    return list.first().toString();
}

} // namespace

// ---- Data-set events

void TfrmCIAP::cdsCIAPAfterInsert(TClientDataSet&) {
    cdsCIAPIDSITCOMPETCIAP->SetAsString(QStringLiteral("P"));
}

void TfrmCIAP::cdsCIAPBeforePost(TClientDataSet& dataSet) {
    const auto fail = [this](const QString& fieldName, const QString& key) {
        dbgPadrao->FocusField(fieldName);
        MensErro(msgPadrao->Msg(key), true);
    };

    if (EmptyString(cdsCIAPVRSALDOPARCCIAP->AsString()))
        cdsCIAPVRSALDOPARCCIAP->SetAsFloat(0.0);

    if (EmptyString(cdsCIAPCOMPETENCIA->AsString()))
        fail(QStringLiteral("COMPETENCIA"), QStringLiteral("COMPET_INF"));

    VD_CDINSCESTA(true, QStringLiteral("GRID"));

    if (EmptyString(cdsCIAPVRSAIDACIAP->AsString()))
        cdsCIAPVRSAIDACIAP->SetAsFloat(0.0);
    if (EmptyString(cdsCIAPVRSAIDATRIBCIAP->AsString()))
        cdsCIAPVRSAIDATRIBCIAP->SetAsFloat(0.0);

    stCompetencia = QStringLiteral("01/") + cdsCIAPCOMPETENCIA->AsString();
    dtData = strToDate(stCompetencia);
    if (!dtData.isValid()) {
        // The month entry refuses such a text; one that came in another way must not be
        // stored with a date that does not exist.
        dbgPadrao->FocusField(QStringLiteral("COMPETENCIA"));
        MensErro(msgPadrao->Msg(QStringLiteral("N_DATA_VALID"))
                     .replace(QLatin1String("%s"), cdsCIAPCOMPETENCIA->AsString()),
                 true);
    }

    VD_CALCVR();

    if (cdsCIAPVRSAIDACIAP->AsFloat() != 0.0 || cdsCIAPVRSAIDATRIBCIAP->AsFloat() != 0.0) {
        CalculaCoeficiente();
    } else {
        // Without outgoing values the coefficient follows the kind read when the filter was
        // committed.
        const QString kind = oleImposto.toList().value(0).toString();
        cdsCIAPVRCOEFICIAP->SetAsFloat(takesWholeBalance(kind) ? 1.0 : 0.0);
    }

    CalculaSaldoAcumulado();
    CalculaCreditoApropriar();

    // A month outside the filter period is saved all the same; the user is told why the
    // reloaded list will not show it. The list holds whole months, so the period's ends count
    // by their months: a period from the 15th still lists the competência of that month.
    const QDate start = PriDiaMes(depInicial->GetDate());
    const QDate end = PriDiaMes(depFinal->GetDate());
    if (start.isValid() && end.isValid() &&
        ((start <= dtData && end < dtData) || (start > dtData && end >= dtData)))
        DialogService::instance().showMessage(DialogKind::Information,
                                              msgPadrao->Msg(QStringLiteral("COMPT_N_IN")));

    cdsCIAPDTCOMPETECIAP->SetAsDateTime(dtData);

    if (dataSet.State() == DataSetState::Insert) {
        cdsCIAPCDEMPRESA->SetAsString(edtCdEmpresa->text());
        cdsCIAPCDIMPOSTO->SetAsString(edtCdImposto->text());
    }

    const QVariant sequence =
        callServer(QStringLiteral("getNrseqCiap"), {edtCdEmpresa->text(), edtCdImposto->text(),
                                                    cdsCIAPDTCOMPETECIAP->AsDateTime()});
    cdsCIAPNRSEQCIAP->SetAsString(firstElement(sequence, QStringLiteral("getNrseqCiap")));
}

void TfrmCIAP::cdsCIAPAfterPost(TClientDataSet& dataSet) {
    if (dataSet.ChangeCount() > 0) {
        const std::exception_ptr failure = runShowingFailure([&] {
            const BusyScope busy(this);
            callServer(QStringLiteral("setCiap"), {dataSet.DeltaVariant()});
        });
        if (failure) {
            // What the server refused is not stored: the row goes back to editing with the
            // user's values, as after a failed check, and leaves the change log, so that the
            // next save sends only what is saved then.
            dataSet.ReopenPost();
            std::rethrow_exception(failure);
        }
        if (dataSet.LogChanges)
            dataSet.MergeChangeLog();
    }
    AtualizaCIAP();
}

void TfrmCIAP::cdsCIAPAfterCancel(TClientDataSet&) {
    AtualizaCIAP();
}

void TfrmCIAP::cdsCIAPBeforeDelete(TClientDataSet&) {
    callServer(QStringLiteral("delBensComp"),
               {edtCdEmpresa->text(), edtCdImposto->text(), cdsCIAPCOMPETENCIA->AsString(),
                cdsCIAPNRSEQCIAP->AsString()});
}

void TfrmCIAP::cdsCIAPAfterDelete(TClientDataSet& dataSet) {
    const std::exception_ptr failure = runShowingFailure([&] {
        const BusyScope busy(this);
        callServer(QStringLiteral("setCiap"), {dataSet.DeltaVariant()});
    });
    if (failure) {
        // The server still has the row: it comes back, and the refused deletion leaves the log
        // instead of riding along with the next save.
        dataSet.CancelUpdates();
        std::rethrow_exception(failure);
    }
    if (dataSet.LogChanges)
        dataSet.MergeChangeLog();
    AtualizaCIAP();
}

// ---- Calculations

void TfrmCIAP::VD_CALCVR() {
    if (cdsCIAPVRSAIDATRIBCIAP->AsFloat() > cdsCIAPVRSAIDACIAP->AsFloat()) {
        dbgPadrao->FocusField(QStringLiteral("VRSAIDACIAP"));
        MensErro(msgPadrao->Msg(QStringLiteral("VR_DEVSER")), true);
    }
    CalculaCoeficiente();
}

void TfrmCIAP::CalculaCoeficiente() {
    if (EmptyString(cdsCIAPVRSAIDACIAP->AsString()) ||
        EmptyString(cdsCIAPVRSAIDATRIBCIAP->AsString()))
        return;
    const double total = cdsCIAPVRSAIDACIAP->AsFloat();
    const double taxed = cdsCIAPVRSAIDATRIBCIAP->AsFloat();
    if (taxed == 0.0 || total == 0.0) {
        cdsCIAPVRCOEFICIAP->SetAsFloat(0.0);
        return;
    }
    const QString kind =
        firstElement(callServer(QStringLiteral("getVerificaImposto"), {edtCdImposto->text()}),
                     QStringLiteral("getVerificaImposto"));
    if (takesWholeBalance(kind))
        cdsCIAPVRCOEFICIAP->SetAsString(QStringLiteral("1"));
    else
        cdsCIAPVRCOEFICIAP->SetAsFloat(taxed / total);
}

void TfrmCIAP::CalculaSaldoAcumulado() {
    const QString month = cdsCIAPCOMPETENCIA->AsString();
    if (EmptyString(month))
        return;
    // Both calls take the month first and the company third.
    const QVariantList args{month, edtCdImposto->text(), edtCdEmpresa->text(),
                            cdsCIAPCDINSCESTA->AsString()};

    cdsVrParcelBemComp->SetData(callServer(QStringLiteral("getVrParcelBemComp"), args));
    // Only whether the month has instalments counts, not their sum: 0 passes.
    if (cdsVrParcelBemCompVRPARCELACIAP->AsString().isEmpty()) {
        dbgPadrao->FocusField(QStringLiteral("COMPETENCIA"));
        MensErro(msgPadrao->Msg(QStringLiteral("N_BENSCOMP_CAD")), true);
    }

    cdsCompet_Existe->SetData(callServer(QStringLiteral("getCompet_Existe"), args));
    if (cdsCompet_ExisteCOMPETENCIAEXITE->AsFloat() > 0.0) {
        // The stored month is this very row unless the row is new or its month was changed.
        const QVariant old = cdsCIAPCOMPETENCIA->OldValue();
        if (old.isNull() || old.toString() != month) {
            dbgPadrao->FocusField(QStringLiteral("COMPETENCIA"));
            MensErro(msgPadrao->Msg(QStringLiteral("COMP_CAD")), true);
        }
    }
}

void TfrmCIAP::CalculaCreditoApropriar() {
    const QString kind =
        firstElement(callServer(QStringLiteral("getVerificaImposto"), {edtCdImposto->text()}),
                     QStringLiteral("getVerificaImposto"));
    const double balance = cdsCIAPVRSALDOPARCCIAP->AsFloat();
    if (takesWholeBalance(kind))
        cdsCIAPVRCREDAPROPCIAP->SetAsFloat(balance);
    else
        cdsCIAPVRCREDAPROPCIAP->SetAsFloat(balance * cdsCIAPVRCOEFICIAP->AsFloat());
}
