#include "Cli_mzr02400.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "TADOIBQuery.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TMessages.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QLineEdit>

// Filter header: keystroke filter, field checks, commit of the filter and its lookups.

namespace {

// What tells the company check from the tax check; the routine is the same.
struct CodeCheck {
    QLineEdit* code;
    TADOIBQuery* query;
    const char* parameter;
    const char* nameField;
    QLineEdit* name;
    const char* missingKey;
    const char* unknownKey;
};

void acceptCodeKey(QChar& key) {
    const char16_t c = key.unicode();
    // Only ASCII digits: other scripts' digits would never match a stored code.
    const bool passes = c == 8 || c == 9 || c == 13 || (c >= u'0' && c <= u'9');
    if (!passes)
        key = QChar();
}

// Whatever leaves the check, the failure of the lookup query included, leaves the focus in
// the code edit so the user corrects it there.
void checkCode(const TfrmCIAP& form, const CodeCheck& check, bool required) {
    try {
        if (EmptyString(check.code->text())) {
            if (required) {
                check.code->setFocus();
                MensErro(form.msgPadrao->Msg(QLatin1String(check.missingKey)), true);
            }
            return;
        }
        const QString adjusted = Ajusta(check.code->text(), 2);
        if (adjusted != check.code->text())
            check.code->setText(adjusted);
        // A name still shown from an earlier check must not vouch for a code that fails now.
        check.name->clear();
        check.query->Close();
        check.query->ParamByName(QLatin1String(check.parameter)).SetAsString(check.code->text());
        check.query->Open();
        if (check.query->IsEmpty()) {
            check.code->setFocus();
            MensErro(form.msgPadrao->Msg(QLatin1String(check.unknownKey)), true);
        }
        check.name->setText(check.query->FieldByName(QLatin1String(check.nameField))->AsString());
    } catch (...) {
        check.code->setFocus();
        throw;
    }
}

// The tax's kind: element 0 of the getVerificaImposto answer, as text. Anything else than an
// array with a plain element 0 is refused before it can decide what the list shows.
QString taxKind(const QVariant& answer) {
    const auto invalid = [] {
        return EHostError(QStringLiteral("Resposta inválida do servidor para getVerificaImposto."));
    };
    if (answer.metaType() != QMetaType::fromType<QVariantList>())
        throw invalid();
    const QVariantList list = answer.toList();
    if (list.isEmpty())
        throw invalid();
    const QVariant& kind = list.at(0);
    if (kind.isValid() && kind.metaType() != QMetaType::fromType<QString>() &&
        kind.metaType() != QMetaType::fromType<double>())
        throw invalid();
    return kind.toString();
}

bool editing(const TClientDataSet* dataSet) {
    const DataSetState state = dataSet->State();
    return state == DataSetState::Edit || state == DataSetState::Insert;
}

} // namespace

void TfrmCIAP::edtCdEmpresaKeyPress(QObject*, QChar& key) {
    acceptCodeKey(key);
}

void TfrmCIAP::edtCdImpostoKeyPress(QObject*, QChar& key) {
    acceptCodeKey(key);
}

void TfrmCIAP::edtCdEmpresaChange(QObject*) {
    edtNmEmpresa->clear();
}

void TfrmCIAP::edtCdImpostoChange(QObject*) {
    edtNmImposto->clear();
}

void TfrmCIAP::edtCdEmpresaExit(QObject*) {
    VD_EMPRESA(false);
}

void TfrmCIAP::edtCdImpostoExit(QObject*) {
    VD_IMPOSTO(false);
}

void TfrmCIAP::depInicialExit(QObject*) {
    depInicial->CheckValidDate();
}

void TfrmCIAP::depFinalExit(QObject*) {
    depFinal->CheckValidDate();
}

void TfrmCIAP::dbeInscEstaExit(QObject*) {
    VD_CDINSCESTA(false, QStringLiteral("FILTRO"));
}

void TfrmCIAP::VD_EMPRESA(bool required) {
    checkCode(*this,
              {edtCdEmpresa, qryVd_Empresa, "P_CDEMPRESA", "NMEMPRESA", edtNmEmpresa, "EMPRESA_INF",
               "EMPRESA_N_CAD"},
              required);
}

void TfrmCIAP::VD_IMPOSTO(bool required) {
    checkCode(*this,
              {edtCdImposto, qryVd_Imposto, "P_CDIMPOSTO", "NMIMPOSTO", edtNmImposto, "IMPOSTO_INF",
               "IMPOSTO_N_CAD"},
              required);
}

void TfrmCIAP::VD_PERIODO() {
    if (EmptyString(depInicial->Text())) {
        depInicial->setFocus();
        MensErro(msgPadrao->Msg(QStringLiteral("DTINI_INF")), true);
    }
    if (EmptyString(depFinal->Text())) {
        depFinal->setFocus();
        MensErro(msgPadrao->Msg(QStringLiteral("DTFIN_INF")), true);
    }
    // A half-typed date has no place in the comparison, nor in the list's query.
    depInicial->CheckValidDate();
    depFinal->CheckValidDate();
    if (!(depFinal->GetDate() >= depInicial->GetDate())) {
        depInicial->setFocus();
        MensErro(msgPadrao->Msg(QStringLiteral("DTINI_MENOR")), true);
    }
}

void TfrmCIAP::VD_CDINSCESTA(bool required, const QString& origin) {
    const auto lookUp = [this](const QString& registration) {
        cdsInscEsta->SetData(callServer(QStringLiteral("getInscEsta"),
                                        {edtCdEmpresa->text(), QString(), registration}));
        return !cdsInscEsta->IsEmpty();
    };

    if (origin == QLatin1String("FILTRO")) {
        // An empty registration in the filter stands for all of the company's.
        if (EmptyString(dbeInscEsta->text()))
            return;
        if (!lookUp(dbeInscEsta->text())) {
            dbeInscEsta->setFocus();
            MensErro(msgPadrao->Msg(QStringLiteral("INSC_EST_INV")), true);
        }
        return;
    }

    const QString registration = cdsCIAPCDINSCESTA->AsString();
    if (EmptyString(registration)) {
        if (required) {
            dbgPadrao->FocusField(QStringLiteral("CDINSCESTA"));
            MensErro(msgPadrao->Msg(QStringLiteral("INSCESTA_INF")), true);
        }
        return;
    }
    if (!lookUp(registration)) {
        dbgPadrao->FocusField(QStringLiteral("CDINSCESTA"));
        MensErro(msgPadrao->Msg(QStringLiteral("INSC_EST_INV")), true);
    }
    // The registration as the server spells it.
    if (editing(cdsCIAP))
        cdsCIAPCDINSCESTA->SetAsString(cdsInscEstaCDINSCESTA->AsString());
}

void TfrmCIAP::panEmpresaEnter(QObject*) {
    // Editing the filter closes the list: a row typed and not saved would go with it.
    if (!mayDiscardChanges(cdsCIAP)) {
        dbgPadrao->setFocus(Qt::OtherFocusReason);
        throw EAbort();
    }
    dtsPadrao->SetDataSet(nullptr);
    cdsCIAP->Close();
    if (!pgcPadrao->SheetEnabled(tshPadrao))
        pgcPadrao->SetSheetEnabled(tshPadrao, true);
    pgcPadrao->SetActivePage(tshPadrao);
    HabilitaBotao();
}

void TfrmCIAP::panEmpresaExit(QObject*) {
    VD_EMPRESA(true);
    VD_IMPOSTO(true);
    VD_PERIODO();
    dtsPadrao->SetDataSet(cdsCIAP);
    try {
        AtualizaCIAP();
    } catch (...) {
        // A list that could not even be opened would stay linked but closed, with every
        // command and the filter itself switched off: nothing left to correct or retry with.
        // Back to editing the filter instead.
        if (!cdsCIAP->Active()) {
            dtsPadrao->SetDataSet(nullptr);
            SetChildEnabled(panEmpresa, true);
        }
        throw;
    }

    const QVariant answer =
        callServer(QStringLiteral("getVerificaImposto"), {edtCdImposto->text()});
    const QString kind = taxKind(answer);
    oleImposto = answer;
    // Taxes of these kinds take the whole balance: outgoing values and coefficient mean
    // nothing for them.
    const bool withoutCoefficient = kind == QLatin1String("50") || kind == QLatin1String("60");
    for (int column : {2, 3, 4})
        dbgPadrao->SetColumnVisible(column, !withoutCoefficient);
}

void TfrmCIAP::btpEmpresaBeforePesq(QObject*, bool&) {
    m_headerBeforePick = headerTexts();
    qryEmpresa->Close();
    qryEmpresa->Open();
}

void TfrmCIAP::btpEmpresaAfterPesq(QObject*) {
    // Code first: its change handler clears the name.
    edtCdEmpresa->setText(qryEmpresa->FieldByName(QStringLiteral("CDEMPRESA"))->AsString());
    edtNmEmpresa->setText(qryEmpresa->FieldByName(QStringLiteral("NMEMPRESA"))->AsString());
    commitPickedHeader();
}

void TfrmCIAP::btpImpostoBeforePesq(QObject*, bool&) {
    m_headerBeforePick = headerTexts();
    qryImposto->Close();
    qryImposto->Open();
}

void TfrmCIAP::btpImpostoAfterPesq(QObject*) {
    edtCdImposto->setText(qryImposto->FieldByName(QStringLiteral("CDIMPOSTO"))->AsString());
    edtNmImposto->setText(qryImposto->FieldByName(QStringLiteral("NMIMPOSTO"))->AsString());
    commitPickedHeader();
}

void TfrmCIAP::btnPesqInscEstaBeforePesq(QObject*, bool&) {
    m_headerBeforePick = headerTexts();
    cdsInscEsta->SetData(callServer(QStringLiteral("getInscEsta"),
                                    {edtCdEmpresa->text(), QStringLiteral("T"), QString()}));
}

void TfrmCIAP::btnPesqInscEstaAfterPesq(QObject*) {
    dbeInscEsta->setText(cdsInscEstaCDINSCESTA->AsString());
    commitPickedHeader();
}

QStringList TfrmCIAP::headerTexts() const {
    return {edtCdEmpresa->text(), edtCdImposto->text(), dbeInscEsta->text()};
}

void TfrmCIAP::commitPickedHeader() {
    const bool changed = headerTexts() != m_headerBeforePick;
    // The lookup buttons take no focus, so a pick can change the header under a loaded list;
    // the commands would then act on a list the header no longer describes. The header is
    // committed again as entering and leaving the panel would, the registration checked
    // against the company it now belongs to. While the panel is being edited, leaving it
    // commits.
    if (!changed || !dtsPadrao->DataSet())
        return;
    panEmpresaEnter(panEmpresa);
    VD_CDINSCESTA(false, QStringLiteral("FILTRO"));
    panEmpresaExit(panEmpresa);
}
