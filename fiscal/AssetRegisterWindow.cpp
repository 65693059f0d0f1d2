#include "AssetRegisterWindow.h"

#include "FiscalServer.h"
#include "HostApplication.h"
#include "HostErrors.h"
#include "RegisterFormat.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDBNavigator.h"
#include "TDBText.h"
#include "TDataSource.h"
#include "TMainMenu.h"
#include "TNetConnection.h"
#include "TPageControl.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using ciap::FieldType;

namespace {

constexpr int FormWidth = 860;
constexpr int FormHeight = 540;

QPointer<AssetRegisterWindow>& openWindow() {
    static QPointer<AssetRegisterWindow> window;
    return window;
}

struct FieldColumn {
    const char* name;
    FieldType type;
    int size;
    const char* caption; // nullptr: not a grid column
};

// The fields of listAssets' packet, in its order, with their captions.
const FieldColumn assetFields[] = {
    {"CDEMPRESA", FieldType::String, 2, nullptr},
    {"CDBEMATIVO", FieldType::String, 10, "Nr. Bem"},
    {"NMBEMATIVO", FieldType::String, 50, "Nome"},
    {"CDPATRIBEMATIVO", FieldType::String, 30, "Cód. Patrimônio"},
    {"CDINSCESTA", FieldType::String, 16, "Inscrição Estadual"},
    {"DTENTRADA", FieldType::DateTime, 0, "Entrada"},
    {"NRPARCELAS", FieldType::Float, 0, "Parcelas"},
    {"IDTPAPROPPISCOF", FieldType::String, 2, "Tipo Aprop."},
    {"VRICMSPROPRIOCENT", FieldType::Float, 0, "ICMS Próprio"},
    {"VRICMSSTCENT", FieldType::Float, 0, "ICMS ST"},
    {"VRICMSFRETECENT", FieldType::Float, 0, "ICMS Frete"},
    {"VRICMSDIFALCENT", FieldType::Float, 0, "ICMS Difal"},
    {"VRCREDITOCENT", FieldType::Float, 0, "Crédito Total"},
    {"VRPARCELACENT", FieldType::Float, 0, "Vr. Parcela"},
    {"IDDIFALPENDENTE", FieldType::String, 1, "Difal Pendente"},
    {"NRDOCARRECADACAO", FieldType::String, 60, "Doc. Arrecadação"},
    {"IDTPBEM", FieldType::String, 1, "Bem/Componente"},
    {"CDBEMPRINCIPAL", FieldType::String, 10, "Bem Principal"},
    {"CDCONTA", FieldType::String, 60, "Conta Contábil"},
    {"CDCCUSTO", FieldType::String, 60, "Centro de Custo"},
    {"DSFUNCAO", FieldType::String, 200, "Função"},
    {"NRVIDAUTIL", FieldType::Float, 0, "Vida Útil (meses)"},
    {"CDITEM", FieldType::String, 60, "Cód. Item"},
    {"CDUNIDADE", FieldType::String, 6, "Unidade"},
    {"IDENTRADAIMPORTADA", FieldType::String, 1, nullptr},
    {"IDEMITENTEENT", FieldType::String, 1, nullptr},
    {"CDPARTICIPANTEENT", FieldType::String, 60, "Participante"},
    {"NMPARTICIPANTEENT", FieldType::String, 100, nullptr},
    {"CDMODELOENT", FieldType::String, 2, "Modelo"},
    {"NRSERIEENT", FieldType::String, 3, "Série"},
    {"NRDOCUMENTOENT", FieldType::String, 9, "Nr. Documento"},
    {"CHDOCUMENTOENT", FieldType::String, 44, "Chave de Acesso"},
    {"DTDOCUMENTOENT", FieldType::DateTime, 0, "Data Documento"},
    {"NRITEMENT", FieldType::Float, 0, "Item"},
    {"CDPRODUTOENT", FieldType::String, 60, nullptr},
    {"DSPRODUTOENT", FieldType::String, 120, nullptr},
    {"QTAPLICADAENT", FieldType::Float, 0, "Quantidade"},
    {"DTSAIDA", FieldType::DateTime, 0, "Saída"},
    {"IDTPSAIDA", FieldType::String, 1, "Tipo Saída"},
    {"CDMODELOSAI", FieldType::String, 2, nullptr},
    {"NRSERIESAI", FieldType::String, 3, nullptr},
    {"NRDOCUMENTOSAI", FieldType::String, 9, nullptr},
    {"CHDOCUMENTOSAI", FieldType::String, 44, nullptr},
    {"NRITEMSAI", FieldType::Float, 0, nullptr},
    {"QTPENDENCIAS", FieldType::Float, 0, "Pendências"},
    {"DSPENDENCIAS", FieldType::String, 1000, nullptr},
};

// The grid's columns: what the user completes comes right after what tells the asset apart.
const std::pair<const char*, int> assetColumns[] = {
    {"CDBEMATIVO", 74},      {"NMBEMATIVO", 180},       {"QTPENDENCIAS", 72},
    {"CDINSCESTA", 96},      {"DTENTRADA", 72},         {"VRICMSPROPRIOCENT", 84},
    {"VRICMSSTCENT", 72},    {"VRICMSFRETECENT", 72},   {"VRICMSDIFALCENT", 72},
    {"IDDIFALPENDENTE", 88}, {"NRDOCARRECADACAO", 110}, {"VRCREDITOCENT", 84},
    {"NRPARCELAS", 56},      {"VRPARCELACENT", 72},     {"CDCONTA", 96},
    {"CDCCUSTO", 96},        {"DSFUNCAO", 140},         {"NRVIDAUTIL", 100},
    {"CDITEM", 80},          {"CDUNIDADE", 56},         {"IDTPBEM", 96},
    {"CDBEMPRINCIPAL", 84},  {"CDPATRIBEMATIVO", 100},  {"IDTPAPROPPISCOF", 72},
    {"DTSAIDA", 72},         {"IDTPSAIDA", 64},         {"CDPARTICIPANTEENT", 110},
    {"CDMODELOENT", 50},     {"NRSERIEENT", 40},        {"NRDOCUMENTOENT", 84},
    {"CHDOCUMENTOENT", 290}, {"DTDOCUMENTOENT", 90},    {"NRITEMENT", 40},
    {"QTAPLICADAENT", 72},
};

const FieldColumn purchaseFields[] = {
    {"CHNFE", FieldType::String, 44, "Chave da NF-e"},
    {"CDINSCESTA", FieldType::String, 16, "Inscrição Estadual"},
    {"NRDOCUMENTO", FieldType::String, 9, "NF"},
    {"NRSERIE", FieldType::String, 3, "Série"},
    {"DTEMISSAO", FieldType::DateTime, 0, "Emissão"},
    {"DTENTRADA", FieldType::DateTime, 0, "Entrada"},
    {"CDPARTICIPANTE", FieldType::String, 60, nullptr},
    {"NMPARTICIPANTE", FieldType::String, 100, "Fornecedor"},
    {"IDPROPRIA", FieldType::String, 1, nullptr},
    {"IDINTERESTADUAL", FieldType::String, 1, nullptr},
    {"IDCANCELADA", FieldType::String, 1, "Cancelada"},
    {"NRITEM", FieldType::Float, 0, "Item"},
    {"CDPRODUTO", FieldType::String, 60, "Produto"},
    {"DSPRODUTO", FieldType::String, 120, "Descrição"},
    {"CDNCM", FieldType::String, 8, nullptr},
    {"CDCFOP", FieldType::String, 4, "CFOP"},
    {"CDUNIDADE", FieldType::String, 6, "Un."},
    {"QTITEM", FieldType::Float, 0, "Qtd."},
    {"VRPRODUTOCENT", FieldType::Float, 0, "Valor"},
    {"VRICMSCENT", FieldType::Float, 0, "ICMS"},
    {"VRICMSSTCENT", FieldType::Float, 0, "ICMS ST"},
    {"VRICMSFRETECENT", FieldType::Float, 0, "ICMS Frete"},
    {"IDBEM", FieldType::String, 1, "Já é Bem"},
};

const std::pair<const char*, int> purchaseColumns[] = {
    {"DTENTRADA", 72},       {"NRDOCUMENTO", 64},   {"NMPARTICIPANTE", 180}, {"NRITEM", 36},
    {"CDPRODUTO", 90},       {"DSPRODUTO", 200},    {"CDCFOP", 44},          {"QTITEM", 48},
    {"CDUNIDADE", 36},       {"VRPRODUTOCENT", 90}, {"VRICMSCENT", 80},      {"VRICMSSTCENT", 72},
    {"VRICMSFRETECENT", 72}, {"IDBEM", 60},         {"IDCANCELADA", 64},     {"CDINSCESTA", 96},
    {"NRSERIE", 40},         {"DTEMISSAO", 72},     {"CHNFE", 290},
};

const std::pair<const char*, int> pendingExitColumns[] = {
    {"DTSAIDA", 72},       {"CHNFE", 290},    {"NRITEM", 36},     {"CDCFOP", 44},
    {"IDTPSAIDA", 36},     {"CDPRODUTO", 90}, {"DSPRODUTO", 180}, {"QTITEM", 48},
    {"DSCANDIDATOS", 160}, {"DSMOTIVO", 400}, {"CDINSCESTA", 96},
};

const FieldColumn pendingExitFields[] = {
    {"CHNFE", FieldType::String, 44, "Chave da NF-e"},
    {"NRITEM", FieldType::Float, 0, "Item"},
    {"CDINSCESTA", FieldType::String, 16, "Inscrição Estadual"},
    {"CDCFOP", FieldType::String, 4, "CFOP"},
    {"CDPRODUTO", FieldType::String, 60, "Produto"},
    {"DSPRODUTO", FieldType::String, 120, "Descrição"},
    {"QTITEM", FieldType::Float, 0, "Qtd."},
    {"DTSAIDA", FieldType::DateTime, 0, "Data"},
    {"IDTPSAIDA", FieldType::String, 1, "Tipo"},
    {"DSMOTIVO", FieldType::String, 400, "Motivo"},
    {"DSCANDIDATOS", FieldType::String, 400, "Candidatos"},
};

TClientDataSet* dataSet(QObject* owner, const QString& name, const FieldColumn* columns,
                        int count) {
    auto* ds = new TClientDataSet(owner);
    ds->setObjectName(name);
    for (int i = 0; i < count; ++i) {
        TField* f = ds->AddField(
            ciap::FieldDef{QLatin1String(columns[i].name), columns[i].type, columns[i].size});
        f->DisplayLabel = columns[i].caption ? QString::fromUtf8(columns[i].caption) : QString();
        f->Visible = columns[i].caption != nullptr;
        if (QString::fromLatin1(columns[i].name).endsWith(QLatin1String("CENT"))) {
            // Whole cents on the wire and in the data set; reais on the screen, exactly.
            f->OnGetText = [](TField& field, QString& text, bool) {
                text = field.IsNull() ? QString()
                                      : RegisterFormat::centsText(qRound64(field.AsFloat()));
            };
            f->OnSetText = [](TField& field, const QString& text) {
                if (text.trimmed().isEmpty()) {
                    field.Clear();
                    return;
                }
                const auto cents = RegisterFormat::parseCents(text);
                if (!cents)
                    throw EHostError(QStringLiteral("\"%1\" não é um valor válido: use reais "
                                                    "com até dois decimais, como 1.234,56.")
                                         .arg(text));
                field.SetAsFloat(double(*cents));
            };
        }
    }
    return ds;
}

TDataSource* dataSource(QObject* owner, const QString& name, TClientDataSet* ds) {
    auto* source = new TDataSource(owner);
    source->setObjectName(name);
    source->SetDataSet(ds);
    return source;
}

void flagText(TField* field, const QString& yes, const QString& no) {
    field->OnGetText = [yes, no](TField& f, QString& text, bool) {
        const QString v = f.AsString();
        text = v == QLatin1String("S") ? yes : v == QLatin1String("N") ? no : v;
    };
}

} // namespace

AssetRegisterWindow::AssetRegisterWindow(QWidget* parent)
    : TfrmPadraoGrid(parent) {
    setObjectName(QStringLiteral("assetRegisterWindow"));
    setWindowTitle(QStringLiteral("Cadastro de Bens CIAP"));
    lblCodTela->setText(QStringLiteral("CADBENS"));
    server = new FiscalServer(this);
    buildDataSets();
    buildFilterPanel();
    buildPages();
    buildCommands();
    wireEvents();
    resize(FormWidth, FormHeight);
}

AssetRegisterWindow::~AssetRegisterWindow() {
    // The data sets die with the window; their handlers must not reach a half-destroyed one.
    for (TClientDataSet* ds : findChildren<TClientDataSet*>()) {
        ds->AfterScroll = ds->BeforePost = ds->AfterPost = ds->AfterCancel = nullptr;
        ds->AfterOpen = nullptr;
    }
}

AssetRegisterWindow* AssetRegisterWindow::current() {
    return openWindow();
}

AssetRegisterWindow* AssetRegisterWindow::open() {
    if (!openWindow()) {
        auto* form = TfrmPadraoGrid::Create<AssetRegisterWindow>();
        HostApplication::adoptForm(form);
        openWindow() = form;
    }
    AssetRegisterWindow* form = openWindow();
    HostApplication::showNormal(form);
    if (!form->cdsAssets->Active())
        form->companyEdit->setFocus();
    return form;
}

TField* AssetRegisterWindow::field(const char* name) const {
    return cdsAssets->FieldByName(QLatin1String(name));
}

void AssetRegisterWindow::buildDataSets() {
    cdsAssets =
        dataSet(this, QStringLiteral("cdsAssets"), assetFields, int(std::size(assetFields)));
    dtsAssets = dataSource(this, QStringLiteral("dtsAssets"), cdsAssets);
    flagText(field("IDDIFALPENDENTE"), QStringLiteral("Sim"), QStringLiteral("Não"));
    field("IDDIFALPENDENTE")->OnSetText = [](TField& f, const QString& text) {
        const QString t = text.trimmed().toUpper();
        f.SetAsString(t.startsWith(QLatin1Char('S'))   ? QStringLiteral("S")
                      : t.startsWith(QLatin1Char('N')) ? QStringLiteral("N")
                                                       : t);
    };
    field("IDTPBEM")->OnGetText = [](TField& f, QString& text, bool) {
        const QString v = f.AsString();
        text = v == QLatin1String("1")   ? QStringLiteral("Bem")
               : v == QLatin1String("2") ? QStringLiteral("Componente")
                                         : v;
    };
    field("IDTPBEM")->OnSetText = [](TField& f, const QString& text) {
        const QString t = text.trimmed().toUpper();
        f.SetAsString(
            t == QLatin1String("1") || t.startsWith(QLatin1Char('B'))   ? QStringLiteral("1")
            : t == QLatin1String("2") || t.startsWith(QLatin1Char('C')) ? QStringLiteral("2")
                                                                        : t);
    };
    field("QTPENDENCIAS")->OnGetText = [](TField& f, QString& text, bool) {
        text = f.AsFloat() > 0 ? QStringLiteral("Falta %1").arg(int(f.AsFloat()))
                               : QStringLiteral("Completo");
    };
    field("IDTPSAIDA")->OnSetText = [](TField& f, const QString& text) {
        f.SetAsString(text.trimmed().toUpper());
    };
    for (const char* name : {"NRPARCELAS", "NRVIDAUTIL", "NRITEMENT"})
        field(name)->DisplayFormat = QStringLiteral("0");

    cdsPurchases = dataSet(this, QStringLiteral("cdsPurchases"), purchaseFields,
                           int(std::size(purchaseFields)));
    dtsPurchases = dataSource(this, QStringLiteral("dtsPurchases"), cdsPurchases);
    flagText(cdsPurchases->FieldByName(QStringLiteral("IDBEM")), QStringLiteral("Sim"),
             QStringLiteral("Não"));
    flagText(cdsPurchases->FieldByName(QStringLiteral("IDCANCELADA")), QStringLiteral("Sim"),
             QString());
    cdsPurchases->FieldByName(QStringLiteral("NRITEM"))->DisplayFormat = QStringLiteral("0");

    cdsPendingExits = dataSet(this, QStringLiteral("cdsPendingExits"), pendingExitFields,
                              int(std::size(pendingExitFields)));
    dtsPendingExits = dataSource(this, QStringLiteral("dtsPendingExits"), cdsPendingExits);
    cdsPendingExits->FieldByName(QStringLiteral("NRITEM"))->DisplayFormat = QStringLiteral("0");

    static const FieldColumn registrationFields[] = {
        {"CDINSCESTA", FieldType::String, 16, "Inscrição Estadual"},
        {"NRCNPJ", FieldType::String, 14, "CNPJ"},
        {"SGUF", FieldType::String, 2, "UF"},
        {"CDMUNICIPIO", FieldType::String, 7, nullptr},
        {"NRPARCELAS", FieldType::Float, 0, nullptr},
    };
    cdsRegistrations = dataSet(this, QStringLiteral("cdsRegistrations"), registrationFields,
                               int(std::size(registrationFields)));
    dtsRegistrations = dataSource(this, QStringLiteral("dtsRegistrations"), cdsRegistrations);

    const auto query = [this](const QString& name, const QStringList& sql) {
        auto* q = new TADOIBQuery(this);
        q->setObjectName(name);
        q->SQL = sql;
        q->AddField(ciap::FieldDef{QStringLiteral("CDEMPRESA"), FieldType::String, 2})
            ->DisplayLabel = QStringLiteral("Código");
        q->AddField(ciap::FieldDef{QStringLiteral("NMEMPRESA"), FieldType::String, 40})
            ->DisplayLabel = QStringLiteral("Nome");
        return q;
    };
    qryEmpresa = query(QStringLiteral("qryEmpresa"),
                       {QStringLiteral("SELECT CDEMPRESA, NMEMPRESA FROM EMPRESA"),
                        QStringLiteral(" ORDER BY CDEMPRESA")});
    qryEmpresa->FieldByName(QStringLiteral("CDEMPRESA"))->DisplayWidth = 4;
    dtsEmpresa = dataSource(this, QStringLiteral("dtsEmpresa"), qryEmpresa);
    qryVdEmpresa = query(QStringLiteral("qryVdEmpresa"),
                         {QStringLiteral("SELECT CDEMPRESA, NMEMPRESA FROM EMPRESA"),
                          QStringLiteral(" WHERE CDEMPRESA = :P_CDEMPRESA")});
}

void AssetRegisterWindow::buildFilterPanel() {
    filterPanel = new QFrame(this);
    filterPanel->setObjectName(QStringLiteral("filterPanel"));
    filterPanel->setFrameShape(QFrame::StyledPanel);
    insertBand(filterPanel);
    auto* row = new QHBoxLayout(filterPanel);
    row->setContentsMargins(8, 6, 8, 6);
    QFont bold = filterPanel->font();
    bold.setBold(true);
    const auto label = [&](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, filterPanel);
        l->setFont(bold);
        l->setBuddy(buddy);
        row->addWidget(l);
    };
    const auto lookup = [this](const QString& name, QLineEdit* edit, const QString& title,
                               TDataSource* source, const QString& empty) {
        auto* b = new TBtnPesquisa(filterPanel);
        b->setObjectName(name);
        b->setToolTip(QStringLiteral("Pesquisar (F4)"));
        b->setFocusPolicy(Qt::NoFocus);
        b->SetAssociate(edit);
        b->SetTitle(title);
        b->SetDataSource(source);
        b->SetEmptyError(empty);
        return b;
    };

    companyEdit = new QLineEdit(filterPanel);
    companyEdit->setObjectName(QStringLiteral("companyEdit"));
    companyEdit->setMaxLength(2);
    companyEdit->setFixedWidth(32);
    companyEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,2}")), companyEdit));
    label(QStringLiteral("&Empresa"), companyEdit);
    row->addWidget(companyEdit);
    companyLookup = lookup(QStringLiteral("companyLookup"), companyEdit, QStringLiteral("Empresa"),
                           dtsEmpresa, QStringLiteral("Não há Empresa cadastrada"));
    row->addWidget(companyLookup);
    companyNameEdit = new QLineEdit(filterPanel);
    companyNameEdit->setObjectName(QStringLiteral("companyNameEdit"));
    companyNameEdit->setEnabled(false);
    companyNameEdit->setFocusPolicy(Qt::NoFocus);
    row->addWidget(companyNameEdit, 1);

    registrationEdit = new QLineEdit(filterPanel);
    registrationEdit->setObjectName(QStringLiteral("registrationEdit"));
    registrationEdit->setMaxLength(16);
    registrationEdit->setFixedWidth(130);
    registrationEdit->setPlaceholderText(QStringLiteral("todas"));
    label(QStringLiteral("&Inscrição Estadual"), registrationEdit);
    row->addWidget(registrationEdit);
    registrationLookup = lookup(QStringLiteral("registrationLookup"), registrationEdit,
                                QStringLiteral("Inscrição Estadual"), dtsRegistrations,
                                QStringLiteral("Não há Inscrição Estadual Cadastrada"));
    row->addWidget(registrationLookup);
    loadButton = new QPushButton(QStringLiteral("&Carregar"), filterPanel);
    loadButton->setObjectName(QStringLiteral("loadButton"));
    loadButton->setAutoDefault(false);
    row->addWidget(loadButton);
    setTabOrder(companyEdit, registrationEdit);
    setTabOrder(registrationEdit, loadButton);
}

void AssetRegisterWindow::buildPages() {
    pgcPadrao->setTabText(pgcPadrao->indexOf(tshPadrao), QStringLiteral("&Bens"));
    // The grid above, the chosen asset's documents and what it lacks below.
    auto* split = new QSplitter(Qt::Vertical, tshPadrao);
    split->setObjectName(QStringLiteral("assetsSplitter"));
    tshPadrao->layout()->removeWidget(dbgPadrao);
    split->addWidget(dbgPadrao);
    assetDetails = new QPlainTextEdit(split);
    assetDetails->setObjectName(QStringLiteral("assetDetails"));
    assetDetails->setReadOnly(true);
    assetDetails->setTabChangesFocus(true);
    split->addWidget(assetDetails);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    tshPadrao->layout()->addWidget(split);

    dbgPadrao->SetDataSource(dtsAssets);
    dbgPadrao->SetOptions(TDBGrid::dgEditing | TDBGrid::dgTitles | TDBGrid::dgColumnResize |
                          TDBGrid::dgColLines | TDBGrid::dgRowLines | TDBGrid::dgTabs |
                          TDBGrid::dgAlwaysShowSelection);
    for (const auto& [name, width] : assetColumns)
        dbgPadrao->AddColumn(QLatin1String(name), width);
    dtsPadrao->SetDataSet(cdsAssets);
    dbnPadrao->SetDataSource(dtsAssets);
    dbtNome->SetDataSource(dtsAssets);
    dbtNome->SetDataField(QStringLiteral("NMBEMATIVO"));

    const auto page = [this](const QString& name, const QString& caption, TDBGrid*& grid,
                             TDataSource* source, QHBoxLayout*& buttons) {
        QWidget* sheet = addTabSheet(name, caption);
        grid = new TDBGrid(sheet);
        grid->setObjectName(name + QStringLiteral("Grid"));
        grid->SetDataSource(source);
        grid->SetOptions(TDBGrid::dgTitles | TDBGrid::dgColumnResize | TDBGrid::dgColLines |
                         TDBGrid::dgRowLines | TDBGrid::dgAlwaysShowSelection);
        sheet->layout()->addWidget(grid);
        buttons = new QHBoxLayout;
        static_cast<QVBoxLayout*>(sheet->layout())->addLayout(buttons);
        return sheet;
    };
    QHBoxLayout* purchaseButtons = nullptr;
    purchasesPage = page(QStringLiteral("purchases"), QStringLiteral("Co&mpras"), purchasesGrid,
                         dtsPurchases, purchaseButtons);
    for (const auto& [name, width] : purchaseColumns)
        purchasesGrid->AddColumn(QLatin1String(name), width);
    allPurchasesCheck =
        new QCheckBox(QStringLiteral("Mostrar também as compras já t&ransformadas em bens"));
    allPurchasesCheck->setObjectName(QStringLiteral("allPurchasesCheck"));
    turnIntoAssetsButton = new QPushButton(QStringLiteral("&Transformar item em bens"));
    turnIntoAssetsButton->setObjectName(QStringLiteral("turnIntoAssetsButton"));
    purchaseButtons->addWidget(allPurchasesCheck);
    purchaseButtons->addStretch(1);
    purchaseButtons->addWidget(turnIntoAssetsButton);

    QHBoxLayout* pendingButtons = nullptr;
    pendingExitsPage = page(QStringLiteral("pendingExits"), QStringLiteral("Saídas &Pendentes"),
                            pendingExitsGrid, dtsPendingExits, pendingButtons);
    for (const auto& [name, width] : pendingExitColumns)
        pendingExitsGrid->AddColumn(QLatin1String(name), width);
    settleButton = new QPushButton(QStringLiteral("&Resolver…"));
    settleButton->setObjectName(QStringLiteral("settleButton"));
    dismissButton = new QPushButton(QStringLiteral("&Dispensar"));
    dismissButton->setObjectName(QStringLiteral("dismissButton"));
    pendingButtons->addStretch(1);
    pendingButtons->addWidget(settleButton);
    pendingButtons->addWidget(dismissButton);
}

void AssetRegisterWindow::buildCommands() {
    registerExitButton = addToolButton(QStringLiteral("registerExitButton"),
                                       style()->standardIcon(QStyle::SP_ArrowRight),
                                       QStringLiteral("Registrar Saída"), 109);
    registerExitAction = mnuOperacao->addAction(QStringLiteral("Registrar &Saída…"));
    registerExitAction->setObjectName(QStringLiteral("registerExitAction"));
    clearExitAction = mnuOperacao->addAction(QStringLiteral("Des&fazer Saída"));
    clearExitAction->setObjectName(QStringLiteral("clearExitAction"));
    // Nothing is created or deleted here: assets come from documents (or ciap-admin).
    for (QToolButton* b : {sbtIncluir, sbtExcluir, sbtAuxiliar, sbtImprimir})
        b->setVisible(false);
    for (QAction* a : {mnuIncluir, mnuExcluir, mnuAuxiliar})
        a->setVisible(false);
    // The buttons left, side by side in the screen's spacing.
    int left = 4;
    for (QToolButton* b : {sbtAlterar, sbtVerificar, sbtGravar, sbtDesfazer}) {
        b->move(left, b->y());
        left += 23;
    }
    left += 13;
    for (QToolButton* b : {registerExitButton, sbtAjuda, sbtFechar}) {
        b->move(left, b->y());
        left += 36;
    }
}

void AssetRegisterWindow::wireEvents() {
    cdsAssets->BeforePost = [this](TClientDataSet& ds) { assetsBeforePost(ds); };
    cdsAssets->AfterPost = [this](TClientDataSet& ds) { assetsAfterPost(ds); };
    cdsAssets->AfterCancel = [this](TClientDataSet& ds) { assetsAfterCancel(ds); };
    cdsAssets->AfterScroll = [this](TClientDataSet&) { updateDetails(); };
    dbgPadrao->OnColEnter = [this](QObject*) { assetsColumnEnter(); };

    const auto guarded = [this](auto* sender, auto signal, void (AssetRegisterWindow::*slot)()) {
        connect(sender, signal, this,
                [this, slot] { runGuarded([this, slot] { (this->*slot)(); }); });
    };
    guarded(loadButton, &QPushButton::clicked, &AssetRegisterWindow::loadRegister);
    guarded(companyEdit, &QLineEdit::returnPressed, &AssetRegisterWindow::loadRegister);
    guarded(registrationEdit, &QLineEdit::returnPressed, &AssetRegisterWindow::loadRegister);
    connect(companyEdit, &QLineEdit::textEdited, companyNameEdit, &QLineEdit::clear);
    guarded(registerExitButton, &QToolButton::clicked, &AssetRegisterWindow::registerExitClick);
    guarded(registerExitAction, &QAction::triggered, &AssetRegisterWindow::registerExitClick);
    guarded(clearExitAction, &QAction::triggered, &AssetRegisterWindow::clearExitClick);
    guarded(turnIntoAssetsButton, &QPushButton::clicked, &AssetRegisterWindow::turnIntoAssetsClick);
    guarded(settleButton, &QPushButton::clicked, &AssetRegisterWindow::settleClick);
    guarded(dismissButton, &QPushButton::clicked, &AssetRegisterWindow::dismissClick);
    guarded(allPurchasesCheck, &QCheckBox::toggled, &AssetRegisterWindow::reloadKeepingAsset);
    connect(pgcPadrao, &QTabWidget::currentChanged, this,
            [this] { runGuarded([this] { dtsPadraoStateChange(dtsPadrao); }); });

    companyLookup->OnBeforePesq = [this](QObject*, bool& allow) {
        companyLookupBeforeSearch(allow);
    };
    companyLookup->OnAfterPesq = [this](QObject*) { companyLookupAfterSearch(); };
    registrationLookup->OnBeforePesq = [this](QObject*, bool& allow) {
        registrationLookupBeforeSearch(allow);
    };
    registrationLookup->OnAfterPesq = [this](QObject*) { registrationLookupAfterSearch(); };
    // F4 opens the lookup of the edit that has the focus, as a keyboard user expects.
    auto* search = new QAction(this);
    search->setShortcut(Qt::Key_F4);
    search->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    filterPanel->addAction(search);
    connect(search, &QAction::triggered, this, [this] {
        if (registrationEdit->hasFocus())
            registrationLookup->click();
        else
            companyLookup->click();
    });
}

void AssetRegisterWindow::FormCreate(QObject* sender) {
    TfrmPadraoGrid::FormCreate(sender);
    updateDetails();
}

void AssetRegisterWindow::FormClose(QObject* sender, TCloseAction& action) {
    if (!mayDiscardChanges(cdsAssets)) {
        action = TCloseAction::caNone;
        return;
    }
    TfrmPadraoGrid::FormClose(sender, action);
    server->connection()->Close();
}

void AssetRegisterWindow::dtsPadraoStateChange(QObject* sender) {
    TfrmPadraoGrid::dtsPadraoStateChange(sender);
    // The record commands act on the register: only on its page.
    const bool onAssets = pgcPadrao->ActivePage() == tshPadrao;
    const DataSetState state = cdsAssets->State();
    const bool rows = state == DataSetState::Browse && !cdsAssets->IsEmpty();
    for (QToolButton* b : {sbtAlterar, sbtGravar, sbtDesfazer}) {
        b->setEnabled(b->isEnabled() && onAssets);
        menuTwin(b)->setEnabled(b->isEnabled());
    }
    registerExitButton->setEnabled(rows && onAssets);
    registerExitAction->setEnabled(rows && onAssets);
    clearExitAction->setEnabled(rows && onAssets && !field("DTSAIDA")->IsNull());
    // The filter is for choosing what to load: not while a row is being edited.
    filterPanel->setEnabled(state != DataSetState::Edit && state != DataSetState::Insert);
    const bool purchases = cdsPurchases->Active() && !cdsPurchases->IsEmpty();
    turnIntoAssetsButton->setEnabled(purchases);
    const bool pending = cdsPendingExits->Active() && !cdsPendingExits->IsEmpty();
    settleButton->setEnabled(pending);
    dismissButton->setEnabled(pending);
}

void AssetRegisterWindow::sbtVerificarClick(QObject*) {
    reloadKeepingAsset();
}
