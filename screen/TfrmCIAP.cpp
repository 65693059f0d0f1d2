#include "TfrmCIAP.h"

#include "FocusTracker.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDBNavigator.h"
#include "TDBText.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TMainMenu.h"
#include "TMessages.h"
#include "TNetConnection.h"
#include "TPageControl.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using ciap::FieldType;

namespace {

constexpr int FormWidth = 751;
constexpr int FormHeight = 460;
constexpr int InputLeft = 124;
constexpr int RowHeight = 21;

// Colours by role: what the user must fill, and what only shows a value.
QColor informationBackground() {
    return QApplication::palette().color(QPalette::ToolTipBase);
}

QColor buttonFace() {
    return QApplication::palette().color(QPalette::Button);
}

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
        p.setColor(g, QPalette::Base, colour);
    // A control switched off must look it, whatever its role's colour.
    p.setColor(QPalette::Disabled, QPalette::Base, buttonFace());
    widget->setPalette(p);
}

TField* addField(TClientDataSet* ds, const QString& name, FieldType type, int size = 0,
                 const QString& caption = {}, bool visible = true) {
    TField* field = ds->AddField(ciap::FieldDef{name, type, size});
    field->DisplayLabel = caption;
    field->Visible = visible;
    return field;
}

TClientDataSet* newDataSet(QObject* owner, const QString& name) {
    auto* ds = new TClientDataSet(owner);
    ds->setObjectName(name);
    return ds;
}

TDataSource* newDataSource(QObject* owner, const QString& name, TClientDataSet* dataSet) {
    auto* source = new TDataSource(owner);
    source->setObjectName(name);
    source->SetDataSet(dataSet);
    return source;
}

} // namespace

TfrmCIAP::TfrmCIAP(QWidget* parent)
    : TfrmPadraoGrid(parent) {
    setObjectName(QStringLiteral("frmCIAP"));
    setWindowTitle(QStringLiteral("Controle de Crédito Imobilizado"));
    lblCodTela->setText(QStringLiteral("MZR02400"));
    pgcPadrao->setTabText(pgcPadrao->indexOf(tshPadrao), QStringLiteral("Competências"));

    loadCatalogue();
    buildDataSets();
    buildQueries();
    buildToolbar();
    buildFilterPanel();
    buildAssetsTab();
    buildMenu();
    buildGrids();

    netCIAP = new TNetConnection(this);
    netCIAP->setObjectName(QStringLiteral("netCIAP"));
    netCIAP->SetServerName(QStringLiteral("MZR02400.rdmCIAP"));
    netCIAP->SetThrowException(false);

    wireEvents();
    resize(FormWidth, FormHeight);
}

TfrmCIAP::~TfrmCIAP() {
    delete m_focus;
    m_focus = nullptr;
    disconnect(pgcPadrao, nullptr, this, nullptr);
    // Data sets die with the form; their handlers must not run into a half-destroyed screen.
    for (TClientDataSet* ds : findChildren<TClientDataSet*>()) {
        ds->AfterScroll = nullptr;
        ds->AfterInsert = ds->BeforePost = ds->AfterPost = ds->AfterCancel = nullptr;
        ds->BeforeDelete = ds->AfterDelete = nullptr;
    }
    if (netCIAP)
        netCIAP->BeforeConnect = nullptr;
}

// ---- Data sets

void TfrmCIAP::buildDataSets() {
    cdsCIAP = newDataSet(this, QStringLiteral("cdsCIAP"));
    cdsCIAPCDEMPRESA =
        addField(cdsCIAP, QStringLiteral("CDEMPRESA"), FieldType::String, 2, {}, false);
    cdsCIAPCDIMPOSTO =
        addField(cdsCIAP, QStringLiteral("CDIMPOSTO"), FieldType::String, 2, {}, false);
    cdsCIAPCOMPETENCIA = addField(cdsCIAP, QStringLiteral("COMPETENCIA"), FieldType::String, 7,
                                  QStringLiteral("Competência"));
    cdsCIAPCOMPETENCIA->EditMask = QStringLiteral("99/9999 ;1; ");
    cdsCIAPVRSAIDACIAP = addField(cdsCIAP, QStringLiteral("VRSAIDACIAP"), FieldType::Float, 0,
                                  QStringLiteral("Vr. Total Saídas"));
    cdsCIAPVRSAIDATRIBCIAP = addField(cdsCIAP, QStringLiteral("VRSAIDATRIBCIAP"), FieldType::Float,
                                      0, QStringLiteral("Vr. Saídas Tributadas"));
    cdsCIAPVRCOEFICIAP = addField(cdsCIAP, QStringLiteral("VRCOEFICIAP"), FieldType::Float, 0,
                                  QStringLiteral("Coeficiente"));
    cdsCIAPVRSALDOPARCCIAP = addField(cdsCIAP, QStringLiteral("VRSALDOPARCCIAP"), FieldType::Float,
                                      0, QStringLiteral("Vr. Saldo Acumulado"));
    cdsCIAPVRCREDAPROPCIAP = addField(cdsCIAP, QStringLiteral("VRCREDAPROPCIAP"), FieldType::Float,
                                      0, QStringLiteral("Total Crédito Apropriar"));
    for (TField* f : {cdsCIAPVRSAIDACIAP, cdsCIAPVRSAIDATRIBCIAP, cdsCIAPVRCOEFICIAP,
                      cdsCIAPVRSALDOPARCCIAP, cdsCIAPVRCREDAPROPCIAP})
        f->DisplayFormat = QStringLiteral("#,##0.00");
    cdsCIAPIDSITCOMPETCIAP = addField(cdsCIAP, QStringLiteral("IDSITCOMPETCIAP"), FieldType::String,
                                      1, QStringLiteral("Situação"));
    cdsCIAPLOCATE = addField(cdsCIAP, QStringLiteral("LOCATE"), FieldType::String, 11, {}, false);
    cdsCIAPDTCOMPETECIAP =
        addField(cdsCIAP, QStringLiteral("DTCOMPETECIAP"), FieldType::DateTime, 0, {}, false);
    cdsCIAPNOME = addField(cdsCIAP, QStringLiteral("NOME"), FieldType::String, 108, {}, false);
    cdsCIAPITEMEXISTE =
        addField(cdsCIAP, QStringLiteral("ITEMEXISTE"), FieldType::Float, 0, {}, false);
    cdsCIAPCDINSCESTA = addField(cdsCIAP, QStringLiteral("CDINSCESTA"), FieldType::String, 16,
                                 QStringLiteral("Inscrição Estadual"));
    cdsCIAPNRSEQCIAP =
        addField(cdsCIAP, QStringLiteral("NRSEQCIAP"), FieldType::String, 10, {}, false);
    dtsCIAP = newDataSource(this, QStringLiteral("dtsCIAP"), cdsCIAP);

    cdsBensComp = newDataSet(this, QStringLiteral("cdsBensComp"));
    cdsBensCompCDEMPRESA =
        addField(cdsBensComp, QStringLiteral("CDEMPRESA"), FieldType::String, 2, {}, false);
    cdsBensCompCDBEMATIVO = addField(cdsBensComp, QStringLiteral("CDBEMATIVO"), FieldType::String,
                                     10, QStringLiteral("Nr. Bem"));
    cdsBensCompNMBEMATIVO = addField(cdsBensComp, QStringLiteral("NMBEMATIVO"), FieldType::String,
                                     50, QStringLiteral("Nome"));
    cdsBensCompCDPATRIBEMATIVO = addField(cdsBensComp, QStringLiteral("CDPATRIBEMATIVO"),
                                          FieldType::String, 30, QStringLiteral("Cód. Patrimônio"));
    cdsBensCompDTCOMPETECIAP =
        addField(cdsBensComp, QStringLiteral("DTCOMPETECIAP"), FieldType::DateTime, 0,
                 QStringLiteral("Competência"), false);
    cdsBensCompVRCOEFICIAP =
        addField(cdsBensComp, QStringLiteral("VRCOEFICIAP"), FieldType::Float, 0, {}, false);
    cdsBensCompVRPARCELACIAP = addField(cdsBensComp, QStringLiteral("VRPARCELACIAP"),
                                        FieldType::Float, 0, QStringLiteral("Valor Parcela"));
    cdsBensCompIDTPAPROPPISCOF =
        addField(cdsBensComp, QStringLiteral("IDTPAPROPPISCOF"), FieldType::String, 2, {}, false);
    cdsBensCompVRAPROPARCCIAP = addField(cdsBensComp, QStringLiteral("VRAPROPARCCIAP"),
                                         FieldType::Float, 0, QStringLiteral("Valor a Apropriar"));
    for (TField* f : {cdsBensCompVRCOEFICIAP, cdsBensCompVRPARCELACIAP, cdsBensCompVRAPROPARCCIAP})
        f->DisplayFormat = QStringLiteral("#,##0.00");
    dtsBensComp = newDataSource(this, QStringLiteral("dtsBensComp"), cdsBensComp);

    cdsVrParcelBemComp = newDataSet(this, QStringLiteral("cdsVrParcelBemComp"));
    cdsVrParcelBemCompVRPARCELACIAP =
        addField(cdsVrParcelBemComp, QStringLiteral("VRPARCELACIAP"), FieldType::Float);

    cdsCompet_Existe = newDataSet(this, QStringLiteral("cdsCompet_Existe"));
    cdsCompet_ExisteCOMPETENCIAEXITE =
        addField(cdsCompet_Existe, QStringLiteral("COMPETENCIAEXITE"), FieldType::Float);

    cdsVd_BemParcel = newDataSet(this, QStringLiteral("cdsVd_BemParcel"));
    cdsVd_BemParcelCDBEMATIVO =
        addField(cdsVd_BemParcel, QStringLiteral("CDBEMATIVO"), FieldType::String, 10);
    cdsVd_BemParcelNMBEMATIVO =
        addField(cdsVd_BemParcel, QStringLiteral("NMBEMATIVO"), FieldType::String, 50);
    cdsVd_BemParcelCDPATRIBEMATIVO =
        addField(cdsVd_BemParcel, QStringLiteral("CDPATRIBEMATIVO"), FieldType::String, 30);
    cdsVd_BemParcelVRPARCELACIAP =
        addField(cdsVd_BemParcel, QStringLiteral("VRPARCELACIAP"), FieldType::Float);
    cdsVd_BemParcelSITUACAO =
        addField(cdsVd_BemParcel, QStringLiteral("SITUACAO"), FieldType::Float);

    cdsRetorno = newDataSet(this, QStringLiteral("cdsRetorno"));
    cdsRetornoRetorno = addField(cdsRetorno, QStringLiteral("Retorno"), FieldType::String, 20);

    cdsInscEsta = newDataSet(this, QStringLiteral("cdsInscEsta"));
    cdsInscEstaCDINSCESTA = addField(cdsInscEsta, QStringLiteral("CDINSCESTA"), FieldType::String,
                                     16, QStringLiteral("Inscrição Estadual"));
    dtsInscEsta = newDataSource(this, QStringLiteral("dtsInscEsta"), cdsInscEsta);

    cdsBemParcela = newDataSet(this, QStringLiteral("cdsBemParcela"));
    addField(cdsBemParcela, QStringLiteral("CDBEMATIVO"), FieldType::String, 10,
             QStringLiteral("Código"))
        ->DisplayWidth = 13;
    addField(cdsBemParcela, QStringLiteral("NMBEMATIVO"), FieldType::String, 50,
             QStringLiteral("Nome"));
    addField(cdsBemParcela, QStringLiteral("CDPATRIBEMATIVO"), FieldType::String, 30, {}, false);
    addField(cdsBemParcela, QStringLiteral("VRPARCELACIAP"), FieldType::Float, 0, {}, false);
    dtsBemParcela = newDataSource(this, QStringLiteral("dtsBemParcela"), cdsBemParcela);
}

void TfrmCIAP::buildQueries() {
    const auto query = [this](const QString& name, const QStringList& sql) {
        auto* q = new TADOIBQuery(this);
        q->setObjectName(name);
        q->SQL = sql;
        return q;
    };
    qryEmpresa = query(QStringLiteral("qryEmpresa"),
                       {QStringLiteral("SELECT CDEMPRESA, NMEMPRESA"),
                        QStringLiteral("  FROM EMPRESA"), QStringLiteral(" ORDER BY CDEMPRESA")});
    addField(qryEmpresa, QStringLiteral("CDEMPRESA"), FieldType::String, 2,
             QStringLiteral("Código"))
        ->DisplayWidth = 4;
    addField(qryEmpresa, QStringLiteral("NMEMPRESA"), FieldType::String, 40,
             QStringLiteral("Nome"));
    dtsEmpresa = newDataSource(this, QStringLiteral("dtsEmpresa"), qryEmpresa);

    qryVd_Empresa =
        query(QStringLiteral("qryVd_Empresa"),
              {QStringLiteral("SELECT CDEMPRESA, NMEMPRESA"), QStringLiteral("  FROM EMPRESA"),
               QStringLiteral(" WHERE :P_CDEMPRESA = CDEMPRESA "),
               QStringLiteral(" ORDER BY CDEMPRESA")});
    addField(qryVd_Empresa, QStringLiteral("CDEMPRESA"), FieldType::String, 4);
    addField(qryVd_Empresa, QStringLiteral("NMEMPRESA"), FieldType::String, 40);

    qryImposto = query(QStringLiteral("qryImposto"),
                       {QStringLiteral("SELECT CDIMPOSTO, NMIMPOSTO"),
                        QStringLiteral("  FROM IMPOSTO"), QStringLiteral(" ORDER BY CDIMPOSTO")});
    addField(qryImposto, QStringLiteral("CDIMPOSTO"), FieldType::String, 2,
             QStringLiteral("Código"))
        ->DisplayWidth = 4;
    addField(qryImposto, QStringLiteral("NMIMPOSTO"), FieldType::String, 30,
             QStringLiteral("Nome"));
    dtsImposto = newDataSource(this, QStringLiteral("dtsImposto"), qryImposto);

    qryVd_Imposto =
        query(QStringLiteral("qryVd_Imposto"),
              {QStringLiteral("SELECT CDIMPOSTO, NMIMPOSTO"), QStringLiteral("  FROM IMPOSTO"),
               QStringLiteral(" WHERE :P_CDIMPOSTO = CDIMPOSTO")});
    addField(qryVd_Imposto, QStringLiteral("CDIMPOSTO"), FieldType::String, 2);
    addField(qryVd_Imposto, QStringLiteral("NMIMPOSTO"), FieldType::String, 30,
             QStringLiteral("Nome"));
}

// ---- Layout

void TfrmCIAP::buildToolbar() {
    QStyle* s = style();
    sbtCarregar = addToolButton(QStringLiteral("sbtCarregar"),
                                s->standardIcon(QStyle::SP_ArrowDown), {}, 191, 21, 21);
    sbtCarregar->setToolTip(msgPadrao->Msg(QStringLiteral("CALC_COEF")));
    sbtOK = addToolButton(QStringLiteral("sbtOK"), s->standardIcon(QStyle::SP_DialogApplyButton),
                          QStringLiteral("Apropriar"), 212, 21, 21);
    btnCancelar =
        addToolButton(QStringLiteral("btnCancelar"), s->standardIcon(QStyle::SP_DialogNoButton),
                      QStringLiteral("Cancelar Apropriação"), 234, 21, 21);
    for (QToolButton* b : {sbtCarregar, sbtOK, btnCancelar, sbtImprimir})
        b->setEnabled(false);
    sbtImprimir->move(273, sbtImprimir->y());
    sbtAjuda->move(309, sbtAjuda->y());
    sbtFechar->move(345, sbtFechar->y());
}

void TfrmCIAP::buildFilterPanel() {
    panEmpresa = new QFrame(this);
    panEmpresa->setObjectName(QStringLiteral("panEmpresa"));
    panEmpresa->setFrameShape(QFrame::StyledPanel);
    panEmpresa->setFixedHeight(107);
    insertBand(panEmpresa);

    QFont bold = panEmpresa->font();
    bold.setBold(true);
    const auto label = [&](const QString& name, const QString& caption, int top) {
        auto* l = new QLabel(caption, panEmpresa);
        l->setObjectName(name);
        l->setFont(bold);
        l->setGeometry(8, top, InputLeft - 12, RowHeight);
        return l;
    };
    const auto edit = [&](const QString& name, int left, int top, int width) {
        auto* e = new QLineEdit(panEmpresa);
        e->setObjectName(name);
        e->setGeometry(left, top, width, RowHeight);
        return e;
    };
    const auto lookup = [&](const QString& name, int left, int top) {
        auto* b = new TBtnPesquisa(panEmpresa);
        b->setObjectName(name);
        b->setToolTip(QStringLiteral("Pesquisar"));
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(left, top, 21, RowHeight);
        return b;
    };
    const int rows[] = {7, 32, 57, 82};

    lblEmpresa = label(QStringLiteral("lblEmpresa"), QStringLiteral("Empresa"), rows[0]);
    edtCdEmpresa = edit(QStringLiteral("edtCdEmpresa"), InputLeft, rows[0], 29);
    btpEmpresa = lookup(QStringLiteral("btpEmpresa"), 155, rows[0]);
    edtNmEmpresa = edit(QStringLiteral("edtNmEmpresa"), 178, rows[0], 482);

    lblImposto = label(QStringLiteral("lblImposto"), QStringLiteral("Imposto"), rows[1]);
    edtCdImposto = edit(QStringLiteral("edtCdImposto"), InputLeft, rows[1], 29);
    btpImposto = lookup(QStringLiteral("btpImposto"), 155, rows[1]);
    edtNmImposto = edit(QStringLiteral("edtNmImposto"), 178, rows[1], 482);

    lblPeriodo = label(QStringLiteral("lblPeriodo"), QStringLiteral("Período"), rows[2]);
    depInicial = new TDateEditPlus(panEmpresa);
    depInicial->setObjectName(QStringLiteral("depInicial"));
    depInicial->setGeometry(InputLeft, rows[2], 102, RowHeight);
    lblA = new QLabel(QStringLiteral("à"), panEmpresa);
    lblA->setObjectName(QStringLiteral("lblA"));
    lblA->setAlignment(Qt::AlignCenter);
    lblA->setGeometry(InputLeft + 102, rows[2], 251 - InputLeft - 102, RowHeight);
    depFinal = new TDateEditPlus(panEmpresa);
    depFinal->setObjectName(QStringLiteral("depFinal"));
    depFinal->setGeometry(251, rows[2], 102, RowHeight);

    Label1 = label(QStringLiteral("Label1"), QStringLiteral("Inscrição Estadual"), rows[3]);
    dbeInscEsta = edit(QStringLiteral("dbeInscEsta"), InputLeft, rows[3], 121);
    btnPesqInscEsta = lookup(QStringLiteral("btnPesqInscEsta"), 250, rows[3]);

    for (QLineEdit* code : {edtCdEmpresa, edtCdImposto})
        code->setMaxLength(2);
    dbeInscEsta->setMaxLength(16);
    for (QWidget* w : std::initializer_list<QWidget*>{edtCdEmpresa, edtCdImposto, depInicial,
                                                      depFinal, dbeInscEsta})
        setBackground(w, informationBackground());
    for (QLineEdit* name : {edtNmEmpresa, edtNmImposto}) {
        name->setEnabled(false);
        name->setFocusPolicy(Qt::NoFocus);
        setBackground(name, buttonFace());
    }
    setTabOrder(edtCdEmpresa, edtCdImposto);
    setTabOrder(edtCdImposto, depInicial);
    setTabOrder(depInicial, depFinal);
    setTabOrder(depFinal, dbeInscEsta);

    btpEmpresa->SetAssociate(edtCdEmpresa);
    btpEmpresa->SetTitle(QStringLiteral("Empresa"));
    btpEmpresa->SetDataSource(dtsEmpresa);
    btpEmpresa->SetEmptyError(QStringLiteral("Não há Empresa cadastrada"));
    btpImposto->SetAssociate(edtCdImposto);
    btpImposto->SetTitle(QStringLiteral("Imposto"));
    btpImposto->SetDataSource(dtsImposto);
    btpImposto->SetEmptyError(QStringLiteral("Não hà imposto cadastrado."));
    btnPesqInscEsta->SetAssociate(dbeInscEsta);
    btnPesqInscEsta->SetTitle(QStringLiteral("Inscrição Estadual"));
    btnPesqInscEsta->SetDataSource(dtsInscEsta);
    btnPesqInscEsta->SetEmptyError(QStringLiteral("Não há Inscrição Estadual Cadastrada"));
}

void TfrmCIAP::buildAssetsTab() {
    tshBensComp = addTabSheet(QStringLiteral("tshBensComp"), QStringLiteral("Bens da Competência"));
    panBensComp = new QFrame(tshBensComp);
    panBensComp->setObjectName(QStringLiteral("panBensComp"));
    tshBensComp->layout()->addWidget(panBensComp);
    auto* panLayout = new QVBoxLayout(panBensComp);
    panLayout->setContentsMargins(0, 0, 0, 0);
    scbBensComp = new QScrollArea(panBensComp);
    scbBensComp->setObjectName(QStringLiteral("scbBensComp"));
    scbBensComp->setFrameShape(QFrame::NoFrame);
    scbBensComp->setWidgetResizable(true);
    panLayout->addWidget(scbBensComp);
    dbgBensComp = new TDBGrid;
    dbgBensComp->setObjectName(QStringLiteral("dbgBensComp"));
    scbBensComp->setWidget(dbgBensComp);
    setBackground(dbgBensComp, informationBackground());
}

void TfrmCIAP::buildMenu() {
    N1 = mnuOperacao->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    mnuCompetencia = mnuOperacao->addAction(QStringLiteral("Competências"));
    mnuCompetencia->setObjectName(QStringLiteral("mnuCompetencia"));
    mnuBensComp = mnuOperacao->addAction(QStringLiteral("Bens da Competência"));
    mnuBensComp->setObjectName(QStringLiteral("mnuBensComp"));
    for (QAction* a : {mnuCompetencia, mnuBensComp})
        a->setCheckable(true);
}

void TfrmCIAP::buildGrids() {
    dbgPadrao->SetDataSource(dtsCIAP);
    dbgPadrao->AddColumn(QStringLiteral("COMPETENCIA"), 74);
    dbgPadrao->AddColumn(QStringLiteral("CDINSCESTA"), -1, true);
    dbgPadrao->AddColumn(QStringLiteral("VRSAIDACIAP"), 85);
    dbgPadrao->AddColumn(QStringLiteral("VRSAIDATRIBCIAP"), 111);
    // No width of its own: as wide as its title, leaving room for the situation word.
    dbgPadrao->AddColumn(QStringLiteral("VRCOEFICIAP"), 1);
    dbgPadrao->AddColumn(QStringLiteral("VRSALDOPARCCIAP"), 104);
    dbgPadrao->AddColumn(QStringLiteral("VRCREDAPROPCIAP"), 112);
    // The situation word must read whole in our face, where 60 pixels cut "Apropriado".
    const int situationText =
        dbgPadrao->fontMetrics().horizontalAdvance(msgPadrao->Msg(QStringLiteral("APROPRIADO")));
    dbgPadrao->AddColumn(QStringLiteral("IDSITCOMPETCIAP"), qMax(60, situationText + 12));

    dbgBensComp->SetDataSource(dtsBensComp);
    dbgBensComp->SetOptions(TDBGrid::dgEditing | TDBGrid::dgTitles | TDBGrid::dgColumnResize |
                            TDBGrid::dgColLines | TDBGrid::dgRowLines | TDBGrid::dgTabs |
                            TDBGrid::dgAlwaysShowSelection | TDBGrid::dgConfirmDelete |
                            TDBGrid::dgCancelOnExit);
    dbgBensComp->AddColumn(QStringLiteral("CDBEMATIVO"), 74, true);
    dbgBensComp->AddColumn(QStringLiteral("NMBEMATIVO"), 262);
    dbgBensComp->AddColumn(QStringLiteral("CDPATRIBEMATIVO"), 104);
    dbgBensComp->AddColumn(QStringLiteral("VRPARCELACIAP"), 82);
    dbgBensComp->AddColumn(QStringLiteral("VRAPROPARCCIAP"), 90);

    dbnPadrao->SetDataSource(dtsCIAP);
    dbtNome->SetDataSource(dtsCIAP);
    dbtNome->SetDataField(QStringLiteral("NOME"));
}

// ---- Wiring

void TfrmCIAP::wireEvents() {
    netCIAP->BeforeConnect = [this](TNetConnection& c) { netCIAPBeforeConnect(&c); };

    // Data-set events run inside the operation that fires them: an error aborts it and
    // reaches whoever asked for the operation.
    cdsCIAP->AfterInsert = [this](TClientDataSet& ds) { cdsCIAPAfterInsert(ds); };
    cdsCIAP->BeforePost = [this](TClientDataSet& ds) { cdsCIAPBeforePost(ds); };
    cdsCIAP->AfterPost = [this](TClientDataSet& ds) { cdsCIAPAfterPost(ds); };
    cdsCIAP->AfterCancel = [this](TClientDataSet& ds) { cdsCIAPAfterCancel(ds); };
    cdsCIAP->BeforeDelete = [this](TClientDataSet& ds) { cdsCIAPBeforeDelete(ds); };
    cdsCIAP->AfterDelete = [this](TClientDataSet& ds) { cdsCIAPAfterDelete(ds); };
    cdsCIAP->AfterScroll = [this](TClientDataSet& ds) { cdsCIAPAfterScroll(ds); };
    cdsCIAPCOMPETENCIA->OnSetText = [this](TField& f, const QString& t) {
        cdsCIAPCOMPETENCIASetText(f, t);
    };
    cdsCIAPIDSITCOMPETCIAP->OnGetText = [this](TField& f, QString& t, bool display) {
        cdsCIAPIDSITCOMPETCIAPGetText(f, t, display);
    };
    cdsCIAPIDSITCOMPETCIAP->OnSetText = [this](TField& f, const QString& t) {
        cdsCIAPIDSITCOMPETCIAPSetText(f, t);
    };

    cdsBensComp->BeforePost = [this](TClientDataSet& ds) { cdsBensCompBeforePost(ds); };
    cdsBensComp->AfterPost = [this](TClientDataSet& ds) { cdsBensCompAfterPost(ds); };
    cdsBensComp->AfterCancel = [this](TClientDataSet& ds) { cdsBensCompAfterCancel(ds); };
    cdsBensComp->BeforeDelete = [this](TClientDataSet& ds) { cdsBensCompBeforeDelete(ds); };
    cdsBensComp->AfterDelete = [this](TClientDataSet& ds) { cdsBensCompAfterDelete(ds); };
    cdsBensCompVRAPROPARCCIAP->OnGetText = [this](TField& f, QString& t, bool display) {
        cdsBensCompVRAPROPARCCIAPGetText(f, t, display);
    };

    connect(edtCdEmpresa, &QLineEdit::textChanged, this,
            [this] { runGuarded([this] { edtCdEmpresaChange(edtCdEmpresa); }); });
    connect(edtCdImposto, &QLineEdit::textChanged, this,
            [this] { runGuarded([this] { edtCdImpostoChange(edtCdImposto); }); });
    edtCdEmpresa->installEventFilter(this);
    edtCdImposto->installEventFilter(this);

    m_focus = new FocusTracker(this);
    m_focus->onExit(edtCdEmpresa, [this] { edtCdEmpresaExit(edtCdEmpresa); });
    m_focus->onExit(edtCdImposto, [this] { edtCdImpostoExit(edtCdImposto); });
    m_focus->onExit(depInicial, [this] { depInicialExit(depInicial); });
    m_focus->onExit(depFinal, [this] { depFinalExit(depFinal); });
    m_focus->onExit(dbeInscEsta, [this] { dbeInscEstaExit(dbeInscEsta); });
    m_focus->onEnterExit(
        panEmpresa, [this] { panEmpresaEnter(panEmpresa); },
        [this] { panEmpresaExit(panEmpresa); });

    btpEmpresa->OnBeforePesq = [this](QObject* s, bool& allow) { btpEmpresaBeforePesq(s, allow); };
    btpEmpresa->OnAfterPesq = [this](QObject* s) { btpEmpresaAfterPesq(s); };
    btpImposto->OnBeforePesq = [this](QObject* s, bool& allow) { btpImpostoBeforePesq(s, allow); };
    btpImposto->OnAfterPesq = [this](QObject* s) { btpImpostoAfterPesq(s); };
    btnPesqInscEsta->OnBeforePesq = [this](QObject* s, bool& allow) {
        btnPesqInscEstaBeforePesq(s, allow);
    };
    btnPesqInscEsta->OnAfterPesq = [this](QObject* s) { btnPesqInscEstaAfterPesq(s); };

    dbgPadrao->OnColEnter = [this](QObject* s) { dbgPadraoColEnter(s); };
    dbgPadrao->OnColExit = [this](QObject* s) { dbgPadraoColExit(s); };
    dbgPadrao->OnEditButtonClick = [this](QObject* s) { dbgPadraoEditButtonClick(s); };
    dbgBensComp->OnEnter = [this](QObject* s) { dbgBensCompEnter(s); };
    dbgBensComp->OnColEnter = [this](QObject* s) { dbgBensCompColEnter(s); };
    dbgBensComp->OnColExit = [this](QObject* s) { dbgBensCompColExit(s); };
    dbgBensComp->OnEditButtonClick = [this](QObject* s) { dbgBensCompEditButtonClick(s); };

    connect(sbtCarregar, &QToolButton::clicked, this,
            [this] { runGuarded([this] { sbtCarregarClick(sbtCarregar); }); });
    connect(sbtOK, &QToolButton::clicked, this,
            [this] { runGuarded([this] { sbtOKClick(sbtOK); }); });
    connect(btnCancelar, &QToolButton::clicked, this,
            [this] { runGuarded([this] { btnCancelarClick(btnCancelar); }); });

    pgcPadrao->OnChange = [this](QObject* s) { pgcPadraoChange(s); };
    // The check marks follow the active page however it changed.
    connect(pgcPadrao, &QTabWidget::currentChanged, this,
            [this] { runGuarded([this] { mnuMenuChange(mnuMenu, nullptr, false); }); });
    mnuMenu->OnChange = [this](QObject* s, QAction* source, bool rebuild) {
        mnuMenuChange(s, source, rebuild);
    };
    connect(mnuCompetencia, &QAction::triggered, this,
            [this] { runGuarded([this] { mnuCompetenciaClick(mnuCompetencia); }); });
    connect(mnuBensComp, &QAction::triggered, this,
            [this] { runGuarded([this] { mnuBensCompClick(mnuBensComp); }); });
}

bool TfrmCIAP::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == edtCdEmpresa || watched == edtCdImposto)) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        const QString text = keyEvent->text();
        // Only keys that type a character reach the key-press handler (not Delete, arrows...).
        if (text.size() == 1 && text.at(0) != QChar(0x7f)) {
            const QChar typed = text.at(0);
            QChar key = typed;
            const bool ok = runGuarded([&] {
                if (watched == edtCdEmpresa)
                    edtCdEmpresaKeyPress(watched, key);
                else
                    edtCdImpostoKeyPress(watched, key);
            });
            if (!ok || key.isNull())
                return true;
            if (key != typed && key.isPrint()) {
                static_cast<QLineEdit*>(watched)->insert(QString(key));
                return true;
            }
        }
    }
    return TfrmPadraoGrid::eventFilter(watched, event);
}

// ---- Lifecycle

void TfrmCIAP::FormCreate(QObject* sender) {
    TfrmPadraoGrid::FormCreate(sender);
    netCIAP->SetConnected(true);
    pgcPadrao->SetActivePage(tshPadrao);
}

void TfrmCIAP::netCIAPBeforeConnect(QObject* sender) {
    auto* connection = qobject_cast<TNetConnection*>(sender);
    if (!connection)
        connection = netCIAP;
    connection->SetHost(WebURL());
    connection->SetPort(WebPort());
}

void TfrmCIAP::FormClose(QObject* sender, TCloseAction& action) {
    netCIAP->SetConnected(false);
    TfrmPadraoGrid::FormClose(sender, action);
}

QVariant TfrmCIAP::callServer(const QString& method, const QVariantList& args) {
    return CheckResultServ(netCIAP->Call(method, args), true, 0);
}
