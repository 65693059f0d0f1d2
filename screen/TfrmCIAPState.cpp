#include "HostServices.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TMainMenu.h"
#include "TMessages.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QAction>
#include <QFrame>
#include <QToolButton>

// Command state: which commands, tabs, menu items, grid editing and filter controls the user
// may use. Nothing is remembered between runs; every run derives everything afresh from the
// linked data set and the current competência.

QString TfrmCIAP::currentSituation() const {
    if (!cdsCIAP->Active() || cdsCIAP->IsEmpty())
        return {};
    return cdsCIAPIDSITCOMPETCIAP->AsString();
}

double TfrmCIAP::currentItems() const {
    if (!cdsCIAP->Active() || cdsCIAP->IsEmpty())
        return 0.0;
    return cdsCIAPITEMEXISTE->AsFloat();
}

bool TfrmCIAP::dbgPadraoColumnEditable(const QString& fieldName) const {
    if (fieldName == QLatin1String("VRCOEFICIAP") ||
        fieldName == QLatin1String("VRSALDOPARCCIAP") ||
        fieldName == QLatin1String("VRCREDAPROPCIAP") ||
        fieldName == QLatin1String("IDSITCOMPETCIAP"))
        return false;
    const QString situation = currentSituation();
    if (fieldName == QLatin1String("VRSAIDACIAP") || fieldName == QLatin1String("VRSAIDATRIBCIAP"))
        return situation == QLatin1String("P") || situation.isEmpty();
    const DataSetState state = cdsCIAP->State();
    return state == DataSetState::Insert ||
           (state == DataSetState::Browse && currentItems() == 0.0);
}

void TfrmCIAP::HabilitaBotao() {
    TClientDataSet* linked = dtsPadrao->DataSet();
    const QString s = currentSituation();
    const double items = currentItems();
    const bool pending = s == QLatin1String("P");
    const bool appropriated = s == QLatin1String("A");

    if (linked == cdsCIAP || linked == cdsBensComp) {
        const DataSetState state = linked->State();
        const bool b = state == DataSetState::Browse;
        const bool r = linked->Active() && !linked->IsEmpty();
        const bool e = state == DataSetState::Edit || state == DataSetState::Insert;
        const bool first = linked == cdsCIAP;

        sbtCarregar->setToolTip(
            msgPadrao->Msg(first ? QStringLiteral("CALC_COEF") : QStringLiteral("CARR_BEM")));
        sbtOK->setEnabled(first && b && r && items > 0 && pending);
        // On the first tab the load button stays off although its hint names the calculation.
        sbtCarregar->setEnabled(!first && b && pending);
        btnCancelar->setEnabled(first && appropriated);
        sbtIncluir->setEnabled(first && b);
        sbtAlterar->setEnabled(first && b && r && items == 0.0);
        sbtExcluir->setEnabled(b && r && pending);
        sbtAuxiliar->setEnabled(b && r);
        sbtVerificar->setEnabled(b && r);
        sbtGravar->setEnabled(e);
        sbtDesfazer->setEnabled(e);
        pgcPadrao->SetSheetEnabled(tshPadrao, first || !e);
        pgcPadrao->SetSheetEnabled(tshBensComp, !first || (b && r));
        if (first) {
            TField* selected = dbgPadrao->SelectedField();
            dbgPadrao->SetOption(
                TDBGrid::dgEditing,
                dbgPadraoColumnEditable(selected ? selected->FieldName() : QString()));
        } else {
            dbgBensComp->SetOption(TDBGrid::dgEditing, false);
        }
        SetChildEnabled(panEmpresa, b);
    } else if (!linked) {
        for (QToolButton* button : {sbtOK, sbtCarregar, btnCancelar, sbtIncluir, sbtAlterar,
                                    sbtExcluir, sbtAuxiliar, sbtVerificar, sbtGravar, sbtDesfazer})
            button->setEnabled(false);
        pgcPadrao->SetSheetEnabled(tshPadrao, true);
        pgcPadrao->SetSheetEnabled(tshBensComp, false);
    }

    for (QToolButton* button :
         {sbtIncluir, sbtAlterar, sbtExcluir, sbtAuxiliar, sbtVerificar, sbtGravar, sbtDesfazer})
        menuTwin(button)->setEnabled(button->isEnabled());
    mnuCompetencia->setEnabled(pgcPadrao->SheetEnabled(tshPadrao));
    mnuBensComp->setEnabled(pgcPadrao->SheetEnabled(tshBensComp));
}

void TfrmCIAP::dtsPadraoStateChange(QObject*) {
    HabilitaBotao();
}

void TfrmCIAP::pgcPadraoChange(QObject*) {
    QWidget* page = pgcPadrao->ActivePage();
    if (page == tshPadrao) {
        if (dtsPadrao->DataSet() != cdsCIAP)
            dtsPadrao->SetDataSet(cdsCIAP);
        AtualizaCIAP();
    } else if (page == tshBensComp) {
        if (dtsPadrao->DataSet() != cdsBensComp)
            dtsPadrao->SetDataSet(cdsBensComp);
        AtualizaBensComp();
    }
}

void TfrmCIAP::mnuMenuChange(QObject*, QAction*, bool) {
    mnuCompetencia->setChecked(pgcPadrao->ActivePage() == tshPadrao);
    mnuBensComp->setChecked(pgcPadrao->ActivePage() == tshBensComp);
}

void TfrmCIAP::mnuCompetenciaClick(QObject*) {
    pgcPadrao->SelectPage(tshPadrao);
}

void TfrmCIAP::mnuBensCompClick(QObject*) {
    pgcPadrao->SelectPage(tshBensComp);
}
