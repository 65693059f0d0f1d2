#pragma once

#include "BlocoGFile.h"

#include <QDialog>
#include <functional>

class FiscalServer;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// "Fiscal ▸ Gerar Bloco G…": company, state registration, month (and the tax, when the month
// has more than one), where to save; the server writes the month's Bloco G, which is saved
// here, or lists every problem of the register, which stay in the window while the user fixes
// them. Not modal: the screen stays at hand for loading and appropriating the month.
class BlocoGWindow final : public QDialog {
    Q_OBJECT
public:
    explicit BlocoGWindow(QWidget* parent = nullptr);
    ~BlocoGWindow() override;

    blocog::Request request() const;
    // "Gerar": checked, generated, saved or listed. Throws as the handlers do (EAbort when
    // the reason was shown).
    void generate();
    // "…": the save dialog, offering the server's naming; a choice fills the path.
    void chooseFile();

    // What the save dialog is; tests answer it themselves.
    std::function<QString(QWidget* parent, const QString& suggested)> askPath;

    QLineEdit* edtEmpresa = nullptr;
    QLineEdit* edtInscricao = nullptr;
    QLineEdit* edtCompetencia = nullptr;
    QLineEdit* edtImposto = nullptr;
    QLineEdit* edtArquivo = nullptr;
    QPushButton* btnArquivo = nullptr;
    QPushButton* btnGerar = nullptr;
    QPushButton* btnFechar = nullptr;
    QLabel* lblSituacao = nullptr;
    QTreeWidget* lstProblemas = nullptr;

private:
    void showProblems(const ciap::DataPacket& problems);

    FiscalServer* m_server;
};
