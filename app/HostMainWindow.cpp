#include "HostMainWindow.h"

#include "AssetRegisterWindow.h"
#include "BlocoGWindow.h"
#include "HostApplication.h"
#include "HostErrors.h"
#include "ImportDocumentsDialog.h"
#include "PackageLoader.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

HostMainWindow::HostMainWindow(PackageLoader* loader, QWidget* parent)
    : QMainWindow(parent)
    , m_loader(loader) {
    setObjectName(QStringLiteral("frmPrincipal"));
    setWindowTitle(QStringLiteral("CIAP"));
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Arquivo"));
    file->setObjectName(QStringLiteral("mnuArquivo"));
    QAction* quit = file->addAction(QStringLiteral("Sai&r"), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("actSair"));

    QMenu* fiscal = menuBar()->addMenu(QStringLiteral("&Fiscal"));
    fiscal->setObjectName(QStringLiteral("mnuFiscal"));
    m_ciapAction = fiscal->addAction(QStringLiteral("Controle de Crédito Imobilizado"), this,
                                     [this] { openScreen(); });
    m_ciapAction->setObjectName(QStringLiteral("actCIAP"));
    m_importAction = fiscal->addAction(QStringLiteral("&Importar Documentos…"), this, [this] {
        runGuarded([this] { ImportDocumentsDialog::execute(this); });
    });
    m_importAction->setObjectName(QStringLiteral("actImportarDocumentos"));
    m_registerAction = fiscal->addAction(QStringLiteral("Cadastro de &Bens CIAP"), this,
                                         [] { runGuarded([] { AssetRegisterWindow::open(); }); });
    m_registerAction->setObjectName(QStringLiteral("actCadastroBens"));
    m_blocoGAction =
        fiscal->addAction(QStringLiteral("&Gerar Bloco G…"), this, [this] { openBlocoG(); });
    m_blocoGAction->setObjectName(QStringLiteral("actGerarBlocoG"));

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Janela"));
    windows->setObjectName(QStringLiteral("mnuJanela"));
    windows->addAction(QStringLiteral("&Cascata"), m_mdiArea, &QMdiArea::cascadeSubWindows);
    windows->addAction(QStringLiteral("&Lado a lado"), m_mdiArea, &QMdiArea::tileSubWindows);

    HostApplication::setMainWindow(this);
    HostApplication::setMdiArea(m_mdiArea);
    resize(900, 640);
}

HostMainWindow::~HostMainWindow() {
    // Screens go before the package that holds their code is unloaded.
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        delete sub;
    if (HostApplication::mainWindow() == this) {
        HostApplication::setMainWindow(nullptr);
        HostApplication::setMdiArea(nullptr);
    }
}

bool HostMainWindow::openScreen() {
    return runGuarded([this] { m_loader->callIniProc(); });
}

BlocoGWindow* HostMainWindow::openBlocoG() {
    if (!m_blocoG) {
        m_blocoG = new BlocoGWindow(this);
        m_blocoG->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_blocoG->show();
    m_blocoG->raise();
    m_blocoG->activateWindow();
    return m_blocoG;
}

void HostMainWindow::closeEvent(QCloseEvent* event) {
    // Each screen runs its own close (its connection is closed there); one that refuses
    // keeps the host open.
    m_mdiArea->closeAllSubWindows();
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        if (sub->isVisible()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}
