#include "TfrmPadraoGrid.h"

#include "DialogService.h"
#include "HostApplication.h"
#include "HostErrors.h"
#include "HostFont.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDBNavigator.h"
#include "TDBText.h"
#include "TDataSource.h"
#include "TMainMenu.h"
#include "TMessages.h"
#include "TPageControl.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWhatsThis>

namespace {
constexpr int ToolbarHeight = 30;
constexpr int NavigatorHeight = 27;
} // namespace

TfrmPadraoGrid::TfrmPadraoGrid(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("frmPadraoGrid"));
    // The screens are laid out in pixels for the host's pinned face, also where the
    // application did not make it its own (a package run on its own, tests).
    setFont(HostFont::font());
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);

    dtsPadrao = new TDataSource(this);
    dtsPadrao->setObjectName(QStringLiteral("dtsPadrao"));
    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));

    buildMenu();
    buildToolbar();
    buildPages();
    buildNavigator();
}

TfrmPadraoGrid::~TfrmPadraoGrid() {
    // The handlers must not run against a half-destroyed form.
    dtsPadrao->OnStateChange = nullptr;
    mnuMenu->OnChange = nullptr;
    pgcPadrao->OnChange = nullptr;
}

void TfrmPadraoGrid::buildMenu() {
    mnuMenu = new TMainMenu(this);
    mnuMenu->setObjectName(QStringLiteral("mnuMenu"));
    mnuOperacao =
        mnuMenu->addWatchedMenu(QStringLiteral("&Operação"), QStringLiteral("mnuOperacao"));
    const auto item = [this](const char* name, const QString& caption) {
        QAction* action = mnuOperacao->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    mnuIncluir = item("mnuIncluir", QStringLiteral("&Incluir"));
    mnuAlterar = item("mnuAlterar", QStringLiteral("&Alterar"));
    mnuExcluir = item("mnuExcluir", QStringLiteral("&Excluir"));
    mnuAuxiliar = item("mnuAuxiliar", QStringLiteral("A&uxiliar"));
    mnuVerificar = item("mnuVerificar", QStringLiteral("&Verificar"));
    mnuGravar = item("mnuGravar", QStringLiteral("&Gravar"));
    mnuDesfazer = item("mnuDesfazer", QStringLiteral("&Desfazer"));
    m_layout->setMenuBar(mnuMenu);
}

QToolButton* TfrmPadraoGrid::addToolButton(const QString& name, const QIcon& icon,
                                           const QString& hint, int left, int width, int height) {
    auto* button = new QToolButton(panMenu);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setWhatsThis(hint);
    button->setGeometry(left, (ToolbarHeight - height) / 2, width, height);
    return button;
}

void TfrmPadraoGrid::buildToolbar() {
    panMenu = new QFrame(this);
    panMenu->setObjectName(QStringLiteral("panMenu"));
    panMenu->setFrameShape(QFrame::StyledPanel);
    panMenu->setFixedHeight(ToolbarHeight);
    m_layout->addWidget(panMenu);

    QStyle* s = style();
    const auto icon = [s](const char* theme, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QString::fromLatin1(theme), s->standardIcon(fallback));
    };
    sbtIncluir = addToolButton(QStringLiteral("sbtIncluir"),
                               icon("list-add", QStyle::SP_FileDialogNewFolder),
                               QStringLiteral("Incluir"), 4);
    sbtAlterar = addToolButton(QStringLiteral("sbtAlterar"),
                               icon("document-edit", QStyle::SP_FileDialogDetailedView),
                               QStringLiteral("Alterar"), 27);
    sbtExcluir =
        addToolButton(QStringLiteral("sbtExcluir"), icon("edit-delete", QStyle::SP_TrashIcon),
                      QStringLiteral("Excluir"), 50);
    sbtAuxiliar = addToolButton(QStringLiteral("sbtAuxiliar"),
                                icon("document-properties", QStyle::SP_FileDialogInfoView),
                                QStringLiteral("Auxiliar"), 73);
    sbtVerificar = addToolButton(QStringLiteral("sbtVerificar"),
                                 icon("view-refresh", QStyle::SP_BrowserReload),
                                 QStringLiteral("Verificar"), 96);
    sbtGravar = addToolButton(QStringLiteral("sbtGravar"),
                              icon("document-save", QStyle::SP_DialogSaveButton),
                              QStringLiteral("Gravar"), 119);
    sbtDesfazer = addToolButton(QStringLiteral("sbtDesfazer"),
                                icon("edit-undo", QStyle::SP_DialogCancelButton),
                                QStringLiteral("Desfazer"), 142);
    sbtImprimir = addToolButton(QStringLiteral("sbtImprimir"),
                                icon("document-print", QStyle::SP_FileDialogListView),
                                QStringLiteral("Imprimir"), 180);
    sbtAjuda = addToolButton(QStringLiteral("sbtAjuda"),
                             icon("help-contents", QStyle::SP_MessageBoxQuestion),
                             QStringLiteral("Ajuda"), 216);
    sbtFechar = addToolButton(QStringLiteral("sbtFechar"),
                              icon("window-close", QStyle::SP_TitleBarCloseButton),
                              QStringLiteral("Fechar"), 252);

    lblCodTela = new QLabel(panMenu);
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    QFont bold = lblCodTela->font();
    bold.setBold(true);
    lblCodTela->setFont(bold);
    lblCodTela->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* toolbarLayout = new QHBoxLayout(panMenu);
    toolbarLayout->setContentsMargins(0, 0, 8, 0);
    toolbarLayout->addStretch(1);
    toolbarLayout->addWidget(lblCodTela);

    // Every control starts disabled: no data set is linked yet.
    for (QToolButton* b :
         {sbtIncluir, sbtAlterar, sbtExcluir, sbtAuxiliar, sbtVerificar, sbtGravar, sbtDesfazer})
        b->setEnabled(false);
    for (QAction* a :
         {mnuIncluir, mnuAlterar, mnuExcluir, mnuAuxiliar, mnuVerificar, mnuGravar, mnuDesfazer})
        a->setEnabled(false);
}

QWidget* TfrmPadraoGrid::addTabSheet(const QString& name, const QString& caption) {
    auto* sheet = new QWidget;
    sheet->setObjectName(name);
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(2, 2, 2, 2);
    pgcPadrao->addTab(sheet, caption);
    return sheet;
}

void TfrmPadraoGrid::buildPages() {
    pgcPadrao = new TPageControl(this);
    pgcPadrao->setObjectName(QStringLiteral("pgcPadrao"));
    m_layout->addWidget(pgcPadrao, 1);
    tshPadrao = addTabSheet(QStringLiteral("tshPadrao"), QStringLiteral("Registros"));
    dbgPadrao = new TDBGrid(tshPadrao);
    dbgPadrao->setObjectName(QStringLiteral("dbgPadrao"));
    tshPadrao->layout()->addWidget(dbgPadrao);
}

void TfrmPadraoGrid::buildNavigator() {
    panNavigator = new QFrame(this);
    panNavigator->setObjectName(QStringLiteral("panNavigator"));
    panNavigator->setFrameShape(QFrame::StyledPanel);
    panNavigator->setFixedHeight(NavigatorHeight);
    auto* layout = new QHBoxLayout(panNavigator);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(8);
    dbnPadrao = new TDBNavigator(panNavigator);
    dbnPadrao->setObjectName(QStringLiteral("dbnPadrao"));
    dbtNome = new TDBText(panNavigator);
    dbtNome->setObjectName(QStringLiteral("dbtNome"));
    layout->addWidget(dbnPadrao);
    layout->addWidget(dbtNome, 1);
    m_layout->addWidget(panNavigator);
}

void TfrmPadraoGrid::insertBand(QWidget* band) {
    m_layout->insertWidget(m_layout->indexOf(pgcPadrao), band);
}

void TfrmPadraoGrid::connectCommand(QToolButton* button, QAction* twin,
                                    void (TfrmPadraoGrid::*handler)(QObject*)) {
    connect(button, &QToolButton::clicked, this,
            [this, button, handler] { runGuarded([&] { (this->*handler)(button); }); });
    if (twin)
        connect(twin, &QAction::triggered, button, &QToolButton::click);
}

QAction* TfrmPadraoGrid::menuTwin(const QToolButton* button) const {
    if (button == sbtIncluir)
        return mnuIncluir;
    if (button == sbtAlterar)
        return mnuAlterar;
    if (button == sbtExcluir)
        return mnuExcluir;
    if (button == sbtAuxiliar)
        return mnuAuxiliar;
    if (button == sbtVerificar)
        return mnuVerificar;
    if (button == sbtGravar)
        return mnuGravar;
    if (button == sbtDesfazer)
        return mnuDesfazer;
    return nullptr;
}

void TfrmPadraoGrid::AfterConstruction() {
    if (m_created)
        return;
    m_created = true;
    for (QToolButton* b : {sbtIncluir, sbtAlterar, sbtExcluir, sbtAuxiliar, sbtGravar, sbtDesfazer,
                           sbtImprimir, sbtAjuda, sbtFechar}) {
        void (TfrmPadraoGrid::*handler)(QObject*) = nullptr;
        if (b == sbtIncluir)
            handler = &TfrmPadraoGrid::sbtIncluirClick;
        else if (b == sbtAlterar)
            handler = &TfrmPadraoGrid::sbtAlterarClick;
        else if (b == sbtExcluir)
            handler = &TfrmPadraoGrid::sbtExcluirClick;
        else if (b == sbtAuxiliar)
            handler = &TfrmPadraoGrid::sbtAuxiliarClick;
        else if (b == sbtGravar)
            handler = &TfrmPadraoGrid::sbtGravarClick;
        else if (b == sbtDesfazer)
            handler = &TfrmPadraoGrid::sbtDesfazerClick;
        else if (b == sbtImprimir)
            handler = &TfrmPadraoGrid::sbtImprimirClick;
        else if (b == sbtAjuda)
            handler = &TfrmPadraoGrid::sbtAjudaClick;
        else
            handler = &TfrmPadraoGrid::sbtFecharClick;
        connectCommand(b, menuTwin(b), handler);
    }
    // Connected by name: the derived screen's versions run.
    connectCommand(sbtVerificar, mnuVerificar, &TfrmPadraoGrid::refreshClick);
    dtsPadrao->OnStateChange = [this](TDataSource&) {
        runGuarded([this] { dtsPadraoStateChange(dtsPadrao); });
    };
    FormCreate(this);
}

void TfrmPadraoGrid::FormCreate(QObject*) {
    pgcPadrao->SetActivePage(tshPadrao);
    // The commands start as the data source stands.
    dtsPadraoStateChange(dtsPadrao);
}

void TfrmPadraoGrid::FormClose(QObject*, TCloseAction& action) {
    action = TCloseAction::caFree;
}

void TfrmPadraoGrid::dtsPadraoStateChange(QObject*) {
    TClientDataSet* ds = dtsPadrao->DataSet();
    const DataSetState state = ds ? ds->State() : DataSetState::Inactive;
    const bool browse = state == DataSetState::Browse;
    const bool rows = browse && !ds->IsEmpty();
    const bool editing = state == DataSetState::Edit || state == DataSetState::Insert;
    sbtIncluir->setEnabled(browse);
    sbtAlterar->setEnabled(rows);
    sbtExcluir->setEnabled(rows);
    sbtAuxiliar->setEnabled(rows);
    sbtVerificar->setEnabled(browse);
    sbtGravar->setEnabled(editing);
    sbtDesfazer->setEnabled(editing);
    for (QToolButton* b :
         {sbtIncluir, sbtAlterar, sbtExcluir, sbtAuxiliar, sbtVerificar, sbtGravar, sbtDesfazer})
        menuTwin(b)->setEnabled(b->isEnabled());
}

QString TfrmPadraoGrid::discardQuestion() {
    return QStringLiteral("Há alterações não gravadas. Deseja descartá-las?");
}

bool TfrmPadraoGrid::mayDiscardChanges(TClientDataSet* dataSet) const {
    if (!dataSet || !dataSet->Active())
        return true;
    const DataSetState state = dataSet->State();
    const bool typing =
        (state == DataSetState::Edit || state == DataSetState::Insert) && dataSet->Modified();
    if (!typing && dataSet->ChangeCount() == 0)
        return true;
    return DialogService::instance().askYesNo(DialogKind::Confirmation, discardQuestion()) ==
           DialogAnswer::Yes;
}

void TfrmPadraoGrid::refreshClick(QObject* sender) {
    // A reload replaces the rows, and with them whatever was not saved.
    if (mayDiscardChanges(dtsPadrao->DataSet()))
        sbtVerificarClick(sender);
}

void TfrmPadraoGrid::sbtVerificarClick(QObject*) {
    // A client data set has nothing of its own to re-read; screens reload their lists here.
}

void TfrmPadraoGrid::focusGridOf(QObject* dataSet, bool firstColumn) {
    // The new or edited row is typed into the grid that shows it, on the active page.
    QWidget* page = pgcPadrao->ActivePage();
    if (!page)
        return;
    const QList<TDBGrid*> grids = page->findChildren<TDBGrid*>();
    for (TDBGrid* grid : grids) {
        if (grid->DataSource() && grid->DataSource()->DataSet() == dataSet && grid->isEnabled()) {
            grid->setFocus(Qt::OtherFocusReason);
            // A new row is typed from its first column on, wherever the cursor was before.
            if (firstColumn) {
                for (int c = 0; c < grid->ColumnCount(); ++c) {
                    if (grid->ColumnVisible(c)) {
                        grid->SetSelectedIndex(c);
                        break;
                    }
                }
            }
            return;
        }
    }
}

void TfrmPadraoGrid::sbtIncluirClick(QObject*) {
    if (TClientDataSet* ds = dtsPadrao->DataSet()) {
        ds->Insert();
        focusGridOf(ds, true);
    }
}

void TfrmPadraoGrid::sbtAlterarClick(QObject*) {
    if (TClientDataSet* ds = dtsPadrao->DataSet()) {
        ds->Edit();
        focusGridOf(ds);
    }
}

void TfrmPadraoGrid::sbtExcluirClick(QObject*) {
    TClientDataSet* ds = dtsPadrao->DataSet();
    if (!ds || !ds->Active() || ds->IsEmpty())
        return;
    if (DialogService::instance().askYesNo(
            DialogKind::Confirmation, msgPadrao->Msg(QStringLiteral("Excl"))) != DialogAnswer::Yes)
        return;
    ds->Delete();
}

void TfrmPadraoGrid::sbtAuxiliarClick(QObject*) {}

void TfrmPadraoGrid::sbtGravarClick(QObject*) {
    TClientDataSet* ds = dtsPadrao->DataSet();
    if (!ds)
        return;
    // The toolbar button takes no focus: what is still being typed into a cell belongs to the
    // row being saved. An entry its field refuses was reported there and stops the save.
    for (TDBGrid* grid : findChildren<TDBGrid*>()) {
        if (grid->DataSource() && grid->DataSource()->DataSet() == ds && !grid->commitOpenEditor())
            return;
    }
    ds->Post();
}

void TfrmPadraoGrid::sbtDesfazerClick(QObject*) {
    if (TClientDataSet* ds = dtsPadrao->DataSet())
        ds->Cancel();
}

void TfrmPadraoGrid::sbtImprimirClick(QObject*) {}

void TfrmPadraoGrid::sbtAjudaClick(QObject*) {
    QWhatsThis::enterWhatsThisMode();
}

void TfrmPadraoGrid::sbtFecharClick(QObject*) {
    if (QWidget* window = HostApplication::windowOf(this))
        window->close();
}

void TfrmPadraoGrid::closeEvent(QCloseEvent* event) {
    QWidget* window = HostApplication::windowOf(this);
    const bool mdiChild = qobject_cast<QMdiSubWindow*>(window) != nullptr;
    TCloseAction action = mdiChild ? TCloseAction::caMinimize : TCloseAction::caHide;
    if (!runGuarded([&] { FormClose(this, action); })) {
        event->ignore();
        return;
    }
    switch (action) {
    case TCloseAction::caNone:
        event->ignore();
        break;
    case TCloseAction::caMinimize:
        event->ignore();
        if (window)
            window->showMinimized();
        break;
    case TCloseAction::caHide:
        if (window)
            window->setAttribute(Qt::WA_DeleteOnClose, false);
        event->accept();
        break;
    case TCloseAction::caFree:
        if (window)
            window->setAttribute(Qt::WA_DeleteOnClose, true);
        event->accept();
        break;
    }
}
