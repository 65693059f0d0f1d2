#include "LivroCiapWindow.h"

#include "BookLayout.h"
#include "FiscalServer.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "MonthFields.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

LivroCiapWindow::LivroCiapWindow(QWidget* parent)
    : QDialog(parent)
    , m_server(new FiscalServer(this)) {
    setObjectName(QStringLiteral("frmLivroCIAP"));
    setWindowTitle(QStringLiteral("Livro CIAP"));
    setModal(false);

    const MonthFields month = MonthFields::create(this);
    edtEmpresa = month.company;
    edtInscricao = month.registration;
    edtCompetencia = month.month;
    cbModelo = new QComboBox(this);
    cbModelo->setObjectName(QStringLiteral("cbModelo"));
    cbModelo->addItem(QStringLiteral("C – o mês e todos os bens"), QStringLiteral("C"));
    cbModelo->addItem(QStringLiteral("D – uma ficha por bem"), QStringLiteral("D"));
    edtImposto = month.tax;
    // The edits were made before the model's list: Tab still goes down the form.
    setTabOrder(edtCompetencia, cbModelo);
    setTabOrder(cbModelo, edtImposto);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Empresa"), edtEmpresa);
    form->addRow(QStringLiteral("&Inscrição Estadual"), edtInscricao);
    form->addRow(QStringLiteral("&Competência (MM/AAAA)"), edtCompetencia);
    form->addRow(QStringLiteral("&Modelo"), cbModelo);
    form->addRow(QStringLiteral("Im&posto (opcional)"), edtImposto);

    btnVisualizar = new QPushButton(QStringLiteral("&Visualizar"), this);
    btnVisualizar->setObjectName(QStringLiteral("btnVisualizar"));
    btnVisualizar->setDefault(true);
    btnFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    btnFechar->setObjectName(QStringLiteral("btnFechar"));
    btnFechar->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnVisualizar);
    buttons->addWidget(btnFechar);

    lblSituacao = new QLabel(this);
    lblSituacao->setObjectName(QStringLiteral("lblSituacao"));
    lblSituacao->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(lblSituacao);
    layout->addStretch(1);
    resize(460, 240);

    preview = &LivroCiapWindow::showPreview;
    connect(btnVisualizar, &QPushButton::clicked, this,
            [this] { runGuarded([this] { visualize(); }); });
    connect(btnFechar, &QPushButton::clicked, this, &QWidget::close);
}

LivroCiapWindow::~LivroCiapWindow() = default;

livrociap::Request LivroCiapWindow::request() const {
    const QString month = edtCompetencia->text();
    return {edtEmpresa->text(), edtInscricao->text(),
            month == QLatin1String("/") ? QString() : month, cbModelo->currentData().toString(),
            edtImposto->text()};
}

void LivroCiapWindow::visualize() {
    const livrociap::Request r = request();
    const QString wrong = livrociap::check(r);
    if (!wrong.isEmpty())
        MensErro(wrong);
    lblSituacao->clear();
    livrociap::Answer answer;
    {
        BusyScope busy(this);
        answer =
            livrociap::read(m_server->call(QStringLiteral("livroCIAP"), livrociap::arguments(r)));
    }
    lblSituacao->setText(QStringLiteral("Livro CIAP modelo %1 de %2, imposto %3: %4 bem(ns), %5 "
                                        "folha(s).")
                             .arg(r.model, answer.book.header.month, answer.book.header.tax)
                             .arg(answer.book.assets.size())
                             .arg(ciap::book::BookLayout::pageCount(answer.book)));
    preview(this, answer.book);
}

void LivroCiapWindow::showPreview(QWidget* parent, const ciap::book::CiapBook& book) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(ciap::book::BookLayout::pageLayout());
    printer.setDocName(QStringLiteral("livro-ciap-%1").arg(book.header.month));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("dlgVisualizarLivro"));
    dialog.setWindowTitle(QStringLiteral("Livro CIAP – visualização"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&book](QPrinter* p) { ciap::book::BookLayout::paint(book, *p); });
    dialog.resize(900, 760);
    dialog.exec();
}
