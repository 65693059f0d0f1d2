#pragma once

#include <QMainWindow>
#include <QPointer>

class BlocoGWindow;
class PackageLoader;
class QAction;
class QMdiArea;

// The host application's main window: an MDI area for the screens and the menu that opens
// them. The screen package is loaded on first use.
class HostMainWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit HostMainWindow(PackageLoader* loader, QWidget* parent = nullptr);
    ~HostMainWindow() override;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    QAction* ciapAction() const { return m_ciapAction; }
    QAction* importAction() const { return m_importAction; }
    QAction* registerAction() const { return m_registerAction; }
    QAction* blocoGAction() const { return m_blocoGAction; }

    // "Fiscal" → "Controle de Crédito Imobilizado": loads the package and calls IniProc;
    // a failure is shown, not thrown.
    bool openScreen();
    // "Fiscal" → "Gerar Bloco G…": one window, brought forward when it is already open.
    BlocoGWindow* openBlocoG();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    PackageLoader* m_loader;
    QMdiArea* m_mdiArea = nullptr;
    QAction* m_ciapAction = nullptr;
    QAction* m_importAction = nullptr;
    QAction* m_registerAction = nullptr;
    QAction* m_blocoGAction = nullptr;
    QPointer<BlocoGWindow> m_blocoG;
};
