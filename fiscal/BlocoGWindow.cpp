#include "BlocoGWindow.h"

#include "DialogService.h"
#include "FiscalServer.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "MonthFields.h"

#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QLineEdit* edit(QWidget* parent, const char* name, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(maxLength);
    return e;
}

// The problem list's columns, from the packet's fields.
struct Column {
    const char* field;
    const char* title;
};
constexpr Column Columns[] = {
    {"REGISTRO", "Registro"},      {"BEM", "Bem"},    {"CAMPO", "Campo"}, {"PROBLEMA", "Problema"},
    {"CORRECAO", "Como corrigir"}, {"REGRA", "Regra"}};

} // namespace

BlocoGWindow::BlocoGWindow(QWidget* parent)
    : QDialog(parent)
    , m_server(new FiscalServer(this)) {
    setObjectName(QStringLiteral("frmBlocoG"));
    setWindowTitle(QStringLiteral("Gerar Bloco G"));
    setModal(false);

    const MonthFields month = MonthFields::create(this);
    edtEmpresa = month.company;
    edtInscricao = month.registration;
    edtCompetencia = month.month;
    edtImposto = month.tax;
    edtArquivo = edit(this, "edtArquivo", 1024);
    btnArquivo = new QPushButton(QStringLiteral("..."), this);
    btnArquivo->setObjectName(QStringLiteral("btnArquivo"));
    btnArquivo->setAutoDefault(false);
    btnArquivo->setToolTip(QStringLiteral("Escolher onde gravar"));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(edtArquivo, 1);
    fileRow->addWidget(btnArquivo);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Empresa"), edtEmpresa);
    form->addRow(QStringLiteral("&Inscrição Estadual"), edtInscricao);
    form->addRow(QStringLiteral("&Competência (MM/AAAA)"), edtCompetencia);
    form->addRow(QStringLiteral("I&mposto (opcional)"), edtImposto);
    // A layout takes no buddy: the label points at the edit itself.
    auto* fileLabel = new QLabel(QStringLiteral("&Arquivo"), this);
    fileLabel->setBuddy(edtArquivo);
    form->addRow(fileLabel, fileRow);

    btnGerar = new QPushButton(QStringLiteral("&Gerar"), this);
    btnGerar->setObjectName(QStringLiteral("btnGerar"));
    btnGerar->setDefault(true);
    btnFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    btnFechar->setObjectName(QStringLiteral("btnFechar"));
    btnFechar->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnGerar);
    buttons->addWidget(btnFechar);

    lblSituacao = new QLabel(this);
    lblSituacao->setObjectName(QStringLiteral("lblSituacao"));
    lblSituacao->setWordWrap(true);
    lstProblemas = new QTreeWidget(this);
    lstProblemas->setObjectName(QStringLiteral("lstProblemas"));
    lstProblemas->setRootIsDecorated(false);
    lstProblemas->setAlternatingRowColors(true);
    lstProblemas->setWordWrap(true);
    QStringList titles;
    for (const Column& c : Columns)
        titles << QString::fromUtf8(c.title);
    lstProblemas->setHeaderLabels(titles);
    lstProblemas->header()->resizeSection(0, 60);
    lstProblemas->header()->resizeSection(1, 90);
    lstProblemas->header()->resizeSection(2, 120);
    lstProblemas->header()->resizeSection(3, 300);
    lstProblemas->header()->resizeSection(4, 360);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(lblSituacao);
    layout->addWidget(lstProblemas, 1);
    resize(1000, 460);

    askPath = [](QWidget* owner, const QString& suggested) {
        return QFileDialog::getSaveFileName(owner, QStringLiteral("Gravar o Bloco G"), suggested,
                                            QStringLiteral("Arquivos de texto (*.txt);;Todos (*)"));
    };
    connect(btnGerar, &QPushButton::clicked, this, [this] { runGuarded([this] { generate(); }); });
    connect(btnArquivo, &QPushButton::clicked, this,
            [this] { runGuarded([this] { chooseFile(); }); });
    connect(btnFechar, &QPushButton::clicked, this, &QWidget::close);
}

BlocoGWindow::~BlocoGWindow() = default;

blocog::Request BlocoGWindow::request() const {
    const QString month = edtCompetencia->text();
    return {edtEmpresa->text(), edtInscricao->text(),
            month == QLatin1String("/") ? QString() : month, edtImposto->text(),
            edtArquivo->text().trimmed()};
}

void BlocoGWindow::chooseFile() {
    const blocog::Request r = request();
    const QString current =
        r.path.isEmpty() ? QDir::home().filePath(blocog::suggestedName(r)) : r.path;
    const QString chosen = askPath(this, current);
    if (!chosen.isEmpty())
        edtArquivo->setText(chosen);
}

void BlocoGWindow::generate() {
    const blocog::Request r = request();
    const QString wrong = blocog::check(r);
    if (!wrong.isEmpty())
        MensErro(wrong);
    lstProblemas->clear();
    lblSituacao->clear();
    blocog::Answer answer;
    {
        BusyScope busy(this);
        answer = blocog::read(m_server->call(QStringLiteral("gerarBlocoG"), blocog::arguments(r)));
    }
    if (!answer.ok) {
        showProblems(answer.problems);
        lblSituacao->setText(QStringLiteral("%1 problema(s) no cadastro; nada foi gravado.")
                                 .arg(answer.problems.rows.size()));
        DialogService::instance().showMessage(DialogKind::Error, blocog::problemsText(answer));
        return;
    }
    blocog::save(r.path, answer.file);
    const QString text = blocog::savedText(r, answer);
    lblSituacao->setText(text);
    DialogService::instance().showMessage(DialogKind::Information, text);
}

void BlocoGWindow::showProblems(const ciap::DataPacket& problems) {
    QList<int> at;
    for (const Column& c : Columns)
        at << problems.indexOf(QString::fromLatin1(c.field));
    for (const QVariantList& row : problems.rows) {
        QStringList cells;
        for (int i : at)
            cells << (i >= 0 ? row.value(i).toString() : QString());
        auto* item = new QTreeWidgetItem(lstProblemas, cells);
        const int text = problems.indexOf(QStringLiteral("TEXTO"));
        if (text >= 0)
            item->setToolTip(3, row.value(text).toString());
    }
}
