#pragma once

#include "LivroCiapCall.h"

#include <QDialog>
#include <functional>

class FiscalServer;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Fiscal ▸ Livro CIAP…": company, state registration, month, model (and the tax, when the
// month has more than one); the server gives the appropriated month's book, shown here in a
// print preview from which it is printed or saved as PDF. Not modal, like the Bloco G window.
class LivroCiapWindow final : public QDialog {
    Q_OBJECT
public:
    explicit LivroCiapWindow(QWidget* parent = nullptr);
    ~LivroCiapWindow() override;

    livrociap::Request request() const;
    // "Visualizar": checked, asked for, previewed. Throws as the handlers do (EAbort when the
    // reason was shown).
    void visualize();

    // The print preview; tests look at the book themselves.
    std::function<void(QWidget* parent, const ciap::book::CiapBook& book)> preview;

    QLineEdit* edtEmpresa = nullptr;
    QLineEdit* edtInscricao = nullptr;
    QLineEdit* edtCompetencia = nullptr;
    QComboBox* cbModelo = nullptr;
    QLineEdit* edtImposto = nullptr;
    QPushButton* btnVisualizar = nullptr;
    QPushButton* btnFechar = nullptr;
    QLabel* lblSituacao = nullptr;

    // The host's print preview of the book, on A4 as the PDF of ciap-admin.
    static void showPreview(QWidget* parent, const ciap::book::CiapBook& book);

private:
    FiscalServer* m_server;
};
