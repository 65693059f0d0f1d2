#include "Cli_mzr02400.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "LocaleFormat.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TMessages.h"
#include "TfrmCIAP.h"

#include <QLineEdit>
#include <exception>
#include <functional>

// Assets with an instalment in the selected competência. The list always belongs to the
// current competência row; it is reloaded from the server after every write, never patched.

namespace {

// The competência row may be gone (list closed or empty): its key fields then read as empty,
// which the server answers with an empty list.
QString textOf(const TClientDataSet* dataSet, const TField* field) {
    return dataSet->Active() && !dataSet->IsEmpty() ? field->AsString() : QString();
}

QDate dateOf(const TClientDataSet* dataSet, const TField* field) {
    return dataSet->Active() && !dataSet->IsEmpty() ? field->AsDateTime() : QDate();
}

// Every asset write is followed by a reload, also when the write failed: the list must show
// what the server holds (an unsaved row gone, an undeleted one back), not what the user
// typed. A failure must not pass for a success either: it is shown at once, before the
// reload, and handed back to be raised after it.
std::exception_ptr saveShowingFailure(QWidget* window, const std::function<void()>& save) {
    const BusyScope busy(window);
    return runShowingFailure(save);
}

} // namespace

void TfrmCIAP::AtualizaBensComp() {
    const BusyScope busy(this);
    try {
        QString remembered;
        const bool relocate = cdsBensComp->Active() && !cdsBensComp->IsEmpty();
        if (relocate)
            remembered = cdsBensCompCDBEMATIVO->AsString();
        const QVariant packet =
            callServer(QStringLiteral("getBensComp"),
                       {textOf(cdsCIAP, cdsCIAPCOMPETENCIA), edtCdEmpresa->text(),
                        textOf(cdsCIAP, cdsCIAPCDIMPOSTO), textOf(cdsCIAP, cdsCIAPNRSEQCIAP)});
        cdsBensComp->SetData(packet);
        if (relocate)
            cdsBensComp->Locate(QStringLiteral("CDBEMATIVO"), remembered, true);
        HabilitaBotao();
    } catch (...) {
        HabilitaBotao();
        throw;
    }
}

void TfrmCIAP::cdsBensCompVRAPROPARCCIAPGetText(TField& sender, QString& text, bool) {
    // Once the month is appropriated, an asset of type "09" is credited its whole instalment,
    // whatever the stored share says.
    const bool wholeInstalment = currentSituation() == QLatin1String("A") &&
                                 cdsBensCompIDTPAPROPPISCOF->AsString() == QLatin1String("09");
    const double value = wholeInstalment ? cdsBensCompVRPARCELACIAP->AsFloat() : sender.AsFloat();
    text = floatToStr(RoundDec(value, 2));
}

// The asset list is read-only in practice: whatever enters the grid finds editing off.
void TfrmCIAP::dbgBensCompEnter(QObject*) {
    dbgBensComp->SetOption(TDBGrid::dgEditing, false);
}

void TfrmCIAP::dbgBensCompColEnter(QObject*) {
    dbgBensComp->SetOption(TDBGrid::dgEditing, false);
}

void TfrmCIAP::dbgBensCompColExit(QObject*) {
    const TField* field = dbgBensComp->SelectedField();
    const DataSetState state = cdsBensComp->State();
    if (field == cdsBensCompCDBEMATIVO &&
        (state == DataSetState::Edit || state == DataSetState::Insert))
        VD_BEMPARCELADO(false);
}

void TfrmCIAP::dbgBensCompEditButtonClick(QObject*) {}

void TfrmCIAP::VD_BEMPARCELADO(bool required) {
    const QString code = QStringLiteral("CDBEMATIVO");
    const auto refuse = [&](const QString& key) {
        dbgBensComp->FocusField(code);
        MensErro(msgPadrao->Msg(key));
    };
    try {
        if (EmptyString(cdsBensCompCDBEMATIVO->AsString())) {
            if (required)
                refuse(QStringLiteral("BEM_INF"));
            return;
        }
        // The adjusted code stays in the row whatever the server answers.
        cdsBensCompCDBEMATIVO->SetAsString(Ajusta(cdsBensCompCDBEMATIVO->AsString(), 10));
        cdsVd_BemParcel->SetData(callServer(
            QStringLiteral("VdBemParcel"),
            {edtCdEmpresa->text(), edtCdImposto->text(), textOf(cdsCIAP, cdsCIAPCOMPETENCIA),
             cdsBensCompCDBEMATIVO->AsString(), textOf(cdsCIAP, cdsCIAPCDINSCESTA)}));
        if (cdsVd_BemParcel->IsEmpty())
            refuse(QStringLiteral("BEM_N_PAR"));
        const double situation = cdsVd_BemParcelSITUACAO->AsFloat();
        if (situation == 1.0) {
            refuse(QStringLiteral("BEM_JA_CAD"));
        } else if (situation == 2.0) {
            cdsBensCompCDBEMATIVO->SetAsString(cdsVd_BemParcelCDBEMATIVO->AsString());
            cdsBensCompNMBEMATIVO->SetAsString(cdsVd_BemParcelNMBEMATIVO->AsString());
            cdsBensCompCDPATRIBEMATIVO->SetAsString(cdsVd_BemParcelCDPATRIBEMATIVO->AsString());
            cdsBensCompVRPARCELACIAP->SetAsString(cdsVd_BemParcelVRPARCELACIAP->AsString());
        }
    } catch (...) {
        dbgBensComp->FocusField(code);
        throw;
    }
}

void TfrmCIAP::cdsBensCompBeforePost(TClientDataSet& dataSet) {
    VD_BEMPARCELADO(true);
    if (dataSet.State() == DataSetState::Insert) {
        cdsBensCompCDEMPRESA->SetAsString(edtCdEmpresa->text());
        cdsBensCompDTCOMPETECIAP->SetAsDateTime(dateOf(cdsCIAP, cdsCIAPDTCOMPETECIAP));
    }
}

void TfrmCIAP::cdsBensCompAfterPost(TClientDataSet& dataSet) {
    std::exception_ptr failure;
    if (dataSet.ChangeCount() > 0)
        failure = saveShowingFailure(this, [&] {
            callServer(QStringLiteral("GravaInfBensCiap"),
                       {edtCdEmpresa->text(), cdsBensCompCDBEMATIVO->AsString(),
                        edtCdImposto->text(), cdsBensCompDTCOMPETECIAP->AsDateTime(),
                        QStringLiteral("I"), textOf(cdsCIAP, cdsCIAPCDINSCESTA),
                        textOf(cdsCIAP, cdsCIAPNRSEQCIAP)});
            if (dataSet.LogChanges)
                dataSet.MergeChangeLog();
        });
    AtualizaBensComp();
    if (failure)
        std::rethrow_exception(failure);
}

void TfrmCIAP::cdsBensCompAfterCancel(TClientDataSet&) {
    AtualizaBensComp();
}

// After the delete the current row is another asset: the deleted one's key is kept here.
void TfrmCIAP::cdsBensCompBeforeDelete(TClientDataSet&) {
    stBemDel = cdsBensCompCDBEMATIVO->AsString();
    dtCopetDel = cdsBensCompDTCOMPETECIAP->AsDateTime();
}

void TfrmCIAP::cdsBensCompAfterDelete(TClientDataSet& dataSet) {
    const std::exception_ptr failure = saveShowingFailure(this, [&] {
        callServer(QStringLiteral("GravaInfBensCiap"),
                   {edtCdEmpresa->text(), stBemDel, edtCdImposto->text(), dtCopetDel,
                    QStringLiteral("D"), textOf(cdsCIAP, cdsCIAPCDINSCESTA),
                    textOf(cdsCIAP, cdsCIAPNRSEQCIAP)});
        if (dataSet.LogChanges)
            dataSet.MergeChangeLog();
    });
    AtualizaBensComp();
    if (failure)
        std::rethrow_exception(failure);
}
