#pragma once

#include <QWidget>
#include <memory>
#include <utility>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class TPageControl;
class QToolButton;
class QVBoxLayout;
class TClientDataSet;
class TDataSource;
class TDBGrid;
class TDBNavigator;
class TDBText;
class TMainMenu;
class TMessages;

// What closing a form does to it, as its close handler decides.
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

// Base of the grid screens: a toolbar with the record commands and their menu twins, a page
// control whose first tab holds a grid, a navigator band and a message catalogue. The record
// commands act on the data set of dtsPadrao.
//
// Creation has two phases so that the handlers connected by name (FormCreate, FormClose,
// dtsPadraoStateChange, sbtVerificarClick) reach the derived screen's versions: construct with
// Create<T>(), which builds the components and then runs FormCreate. A derived handler takes
// the place of the base's own; it calls the base's version itself where it wants it.
class TfrmPadraoGrid : public QWidget {
    Q_OBJECT
public:
    explicit TfrmPadraoGrid(QWidget* parent = nullptr);
    ~TfrmPadraoGrid() override;

    template <class Form, class... Args> static Form* Create(Args&&... args) {
        std::unique_ptr<Form> form(new Form(std::forward<Args>(args)...));
        form->AfterConstruction();
        return form.release();
    }
    // Connects the by-name handlers and runs FormCreate; once.
    void AfterConstruction();
    bool created() const { return m_created; }

    // Handlers connected by name.
    virtual void FormCreate(QObject* sender);
    virtual void FormClose(QObject* sender, TCloseAction& action);
    virtual void dtsPadraoStateChange(QObject* sender);
    virtual void sbtVerificarClick(QObject* sender);

    // The record commands; each acts on the data set of dtsPadrao.
    virtual void sbtIncluirClick(QObject* sender);
    virtual void sbtAlterarClick(QObject* sender);
    virtual void sbtExcluirClick(QObject* sender); // asks "Excl" first; goes on only on Yes
    virtual void sbtAuxiliarClick(QObject* sender);
    virtual void sbtGravarClick(QObject* sender);
    virtual void sbtDesfazerClick(QObject* sender);
    virtual void sbtImprimirClick(QObject* sender);
    virtual void sbtAjudaClick(QObject* sender);
    virtual void sbtFecharClick(QObject* sender);

    // The menu item that mirrors a record command button (nullptr for other buttons).
    QAction* menuTwin(const QToolButton* button) const;

    // Whether what the data set holds unsaved (a row being typed, changes not yet sent) may be
    // thrown away by a reload: nothing is unsaved, or the user says Yes to DiscardQuestion.
    bool mayDiscardChanges(TClientDataSet* dataSet) const;
    static QString discardQuestion();

    // Components, named as their objectName.
    TMainMenu* mnuMenu = nullptr;
    QMenu* mnuOperacao = nullptr;
    QAction* mnuIncluir = nullptr;
    QAction* mnuAlterar = nullptr;
    QAction* mnuExcluir = nullptr;
    QAction* mnuAuxiliar = nullptr;
    QAction* mnuVerificar = nullptr;
    QAction* mnuGravar = nullptr;
    QAction* mnuDesfazer = nullptr;

    QFrame* panMenu = nullptr;
    QToolButton* sbtIncluir = nullptr;
    QToolButton* sbtAlterar = nullptr;
    QToolButton* sbtExcluir = nullptr;
    QToolButton* sbtAuxiliar = nullptr;
    QToolButton* sbtVerificar = nullptr;
    QToolButton* sbtGravar = nullptr;
    QToolButton* sbtDesfazer = nullptr;
    QToolButton* sbtImprimir = nullptr;
    QToolButton* sbtAjuda = nullptr;
    QToolButton* sbtFechar = nullptr;
    QLabel* lblCodTela = nullptr;

    TPageControl* pgcPadrao = nullptr;
    QWidget* tshPadrao = nullptr;
    TDBGrid* dbgPadrao = nullptr;

    QFrame* panNavigator = nullptr;
    TDBNavigator* dbnPadrao = nullptr;
    TDBText* dbtNome = nullptr;

    TDataSource* dtsPadrao = nullptr;
    TMessages* msgPadrao = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

    // Puts a band (a filter panel) between the toolbar and the page control.
    void insertBand(QWidget* band);
    // A flat toolbar button of panMenu at the given left position.
    QToolButton* addToolButton(const QString& name, const QIcon& icon, const QString& hint,
                               int left, int width = 23, int height = 22);
    // A tab sheet of pgcPadrao with a layout that fills it.
    QWidget* addTabSheet(const QString& name, const QString& caption);

private:
    void buildMenu();
    void buildToolbar();
    void buildPages();
    void buildNavigator();
    void connectCommand(QToolButton* button, QAction* twin,
                        void (TfrmPadraoGrid::*handler)(QObject*));
    void focusGridOf(QObject* dataSet, bool firstColumn = false);
    void refreshClick(QObject* sender);

    QVBoxLayout* m_layout = nullptr;
    bool m_created = false;
};
