#include "HostServices.h"
#include "LocaleFormat.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TMessages.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QLineEdit>
#include <QStringList>

// Competências: list and grid; their editing and posting are in TfrmCIAPPosting.cpp.

namespace {

// First day of a typed month ("MM/YYYY" as the mask delivers it, a one-digit month and mask
// blanks included); an invalid date when it is no month.
QDate firstDayOfTypedMonth(const QString& typed) {
    QString compact = typed;
    compact.remove(QLatin1Char(' '));
    const QStringList parts = compact.split(QLatin1Char('/'));
    if (parts.size() != 2 || parts.at(0).isEmpty() || parts.at(0).size() > 2 ||
        parts.at(1).size() != 4)
        return {};
    return strToDate(QStringLiteral("01/") + parts.at(0).rightJustified(2, QLatin1Char('0')) +
                     QLatin1Char('/') + parts.at(1));
}

bool editingState(DataSetState state) {
    return state == DataSetState::Edit || state == DataSetState::Insert;
}

} // namespace

void TfrmCIAP::AtualizaCIAP() {
    const QString registration =
        EmptyString(dbeInscEsta->text()) ? QStringLiteral("T") : dbeInscEsta->text();
    const BusyScope busy(this);
    try {
        QString locate;
        const bool relocate = cdsCIAP->Active() && !cdsCIAP->IsEmpty();
        if (relocate)
            locate = cdsCIAPLOCATE->AsString();
        cdsCIAP->SetData(
            callServer(QStringLiteral("getCIAP"),
                       {edtCdEmpresa->text(), edtCdImposto->text(), depInicial->GetDate(),
                        depFinal->GetDate(), msgPadrao->Msg(QStringLiteral("APROPRIADO")),
                        msgPadrao->Msg(QStringLiteral("PENDENTE")), registration}));
        if (relocate)
            cdsCIAP->Locate(QStringLiteral("LOCATE"), locate, true);
    } catch (...) {
        HabilitaBotao();
        throw;
    }
    HabilitaBotao();
}

void TfrmCIAP::cdsCIAPIDSITCOMPETCIAPGetText(TField& sender, QString& text, bool) {
    // The grid never shows the letter itself: an unknown code shows an empty cell.
    text.clear();
    const QString code = sender.AsString();
    if (code == QLatin1String("P"))
        text = msgPadrao->Msg(QStringLiteral("PENDENTE"));
    if (code == QLatin1String("A"))
        text = msgPadrao->Msg(QStringLiteral("APROPRIADO"));
}

void TfrmCIAP::cdsCIAPIDSITCOMPETCIAPSetText(TField& sender, const QString& text) {
    if (text == msgPadrao->Msg(QStringLiteral("PENDENTE")))
        sender.SetAsString(QStringLiteral("P"));
    if (text == msgPadrao->Msg(QStringLiteral("APROPRIADO")))
        sender.SetAsString(QStringLiteral("A"));
}

void TfrmCIAP::cdsCIAPCOMPETENCIASetText(TField& sender, const QString& text) {
    QString digits = text;
    digits.remove(QLatin1Char('/'));
    if (EmptyString(digits)) {
        sender.SetAsString(QString());
        return;
    }
    const QDate first = firstDayOfTypedMonth(text);
    if (!first.isValid()) {
        QString message = msgPadrao->Msg(QStringLiteral("N_DATA_VALID"));
        message.replace(QLatin1String("%s"), text);
        MensErro(message, true);
    }
    sender.SetAsString(dateToStr(first).mid(3, 7));
}

void TfrmCIAP::cdsCIAPAfterScroll(TClientDataSet&) {
    if (pgcPadrao->ActivePage() == tshBensComp)
        AtualizaBensComp();
    HabilitaBotao();
}

void TfrmCIAP::dbgPadraoColEnter(QObject*) {
    const TField* field = dbgPadrao->SelectedField();
    dbgPadrao->SetOption(TDBGrid::dgEditing,
                         dbgPadraoColumnEditable(field ? field->FieldName() : QString()));
}

void TfrmCIAP::dbgPadraoColExit(QObject*) {
    if (!editingState(cdsCIAP->State()))
        return;
    // The registration is required only on saving; here a typed one is checked and respelled.
    const TField* field = dbgPadrao->SelectedField();
    if (field && field->FieldName() == QLatin1String("CDINSCESTA"))
        VD_CDINSCESTA(false, QStringLiteral("GRID"));
}

void TfrmCIAP::dbgPadraoEditButtonClick(QObject*) {
    const TField* field = dbgPadrao->SelectedField();
    if (!editingState(dtsCIAP->State()) || !field ||
        field->FieldName() != QLatin1String("CDINSCESTA"))
        return;
    cdsInscEsta->SetData(callServer(QStringLiteral("getInscEsta"),
                                    {edtCdEmpresa->text(), QStringLiteral("T"), QString()}));
    // "List title|text when the list is empty"
    const QString title = msgPadrao->Msg(QStringLiteral("INSC_ESTA")) + QLatin1Char('|') +
                          msgPadrao->Msg(QStringLiteral("N_INSCESTA_CAD"));
    if (Pesquisar(dtsInscEsta, title, false, true))
        cdsCIAPCDINSCESTA->SetAsString(cdsInscEstaCDINSCESTA->AsString());
}
