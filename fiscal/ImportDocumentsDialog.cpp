#include "ImportDocumentsDialog.h"

#include "DialogService.h"
#include "FiscalServer.h"
#include "HostErrors.h"
#include "HostFont.h"
#include "HostServices.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString statusText(ImportedFile::Status s) {
    switch (s) {
    case ImportedFile::Status::Imported:
        return QStringLiteral("Importado");
    case ImportedFile::Status::Duplicate:
        return QStringLiteral("Já importado");
    case ImportedFile::Status::Refused:
        break;
    }
    return QStringLiteral("Recusado");
}

// The last folder the user chose from, for the next choice.
QString& lastFolder() {
    static QString folder;
    return folder;
}

} // namespace

ImportDocumentsDialog::ImportDocumentsDialog(QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("importDocumentsDialog"));
    setWindowTitle(QStringLiteral("Importar Documentos"));
    setFont(HostFont::font());
    m_server = new FiscalServer(this);

    auto* layout = new QVBoxLayout(this);
    auto* filesLabel = new QLabel(QStringLiteral("Arquivos XML e &pastas a importar (NF-e, CT-e e "
                                                 "cancelamentos de NF-e):"),
                                  this);
    layout->addWidget(filesLabel);
    auto* filesRow = new QHBoxLayout;
    filesList = new QListWidget(this);
    filesList->setObjectName(QStringLiteral("filesList"));
    filesList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    filesLabel->setBuddy(filesList);
    filesRow->addWidget(filesList, 1);
    auto* fileButtons = new QVBoxLayout;
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    addFilesButton = button("addFilesButton", QStringLiteral("&Arquivos…"));
    addFolderButton = button("addFolderButton", QStringLiteral("Pa&sta…"));
    removeButton = button("removeButton", QStringLiteral("&Remover"));
    for (QPushButton* b : {addFilesButton, addFolderButton, removeButton})
        fileButtons->addWidget(b);
    fileButtons->addStretch(1);
    filesRow->addLayout(fileButtons);
    layout->addLayout(filesRow, 1);

    assetsCheck = new QCheckBox(
        QStringLiteral("Os itens das NF-e de fornecedores &viram bens do ativo"), this);
    assetsCheck->setObjectName(QStringLiteral("assetsCheck"));
    assetsCheck->setToolTip(
        QStringLiteral("A NF-e do fornecedor traz o CFOP dele, não o da entrada: sem esta opção "
                       "a nota fica em Compras, e seus itens viram bens depois, no Cadastro de "
                       "Bens CIAP."));
    layout->addWidget(assetsCheck);
    auto* itemsRow = new QHBoxLayout;
    auto* itemsLabel = new QLabel(QStringLiteral("Somente os &itens (ex.: 1,3):"), this);
    itemsEdit = new QLineEdit(this);
    itemsEdit->setObjectName(QStringLiteral("itemsEdit"));
    itemsEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9, ]{0,200}")), itemsEdit));
    itemsEdit->setEnabled(false);
    itemsLabel->setBuddy(itemsEdit);
    itemsRow->addWidget(itemsLabel);
    itemsRow->addWidget(itemsEdit, 1);
    layout->addLayout(itemsRow);

    countsLabel = new QLabel(this);
    countsLabel->setObjectName(QStringLiteral("countsLabel"));
    countsLabel->setWordWrap(true);
    QFont bold = countsLabel->font();
    bold.setBold(true);
    countsLabel->setFont(bold);
    layout->addWidget(countsLabel);
    resultsTable = new QTableWidget(0, 3, this);
    resultsTable->setObjectName(QStringLiteral("resultsTable"));
    resultsTable->setHorizontalHeaderLabels(
        {QStringLiteral("Arquivo"), QStringLiteral("Situação"), QStringLiteral("Resultado")});
    resultsTable->horizontalHeader()->setStretchLastSection(true);
    resultsTable->verticalHeader()->setVisible(false);
    resultsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultsTable->setWordWrap(true);
    resultsTable->setColumnWidth(0, 190);
    resultsTable->setColumnWidth(1, 90);
    resultsTable->setVisible(false);
    // Rows as tall as their wrapped text at the width the columns have now.
    connect(resultsTable->horizontalHeader(), &QHeaderView::sectionResized, resultsTable,
            &QTableView::resizeRowsToContents);
    layout->addWidget(resultsTable, 3);

    auto* actions = new QHBoxLayout;
    actions->addStretch(1);
    importButton = button("importButton", QStringLiteral("I&mportar"));
    importButton->setDefault(true);
    closeButton = button("closeButton", QStringLiteral("&Fechar"));
    actions->addWidget(importButton);
    actions->addWidget(closeButton);
    layout->addLayout(actions);

    connect(addFilesButton, &QPushButton::clicked, this,
            [this] { runGuarded([this] { chooseFiles(); }); });
    connect(addFolderButton, &QPushButton::clicked, this,
            [this] { runGuarded([this] { chooseFolder(); }); });
    connect(removeButton, &QPushButton::clicked, this,
            [this] { runGuarded([this] { removeSelected(); }); });
    connect(assetsCheck, &QCheckBox::toggled, itemsEdit, &QWidget::setEnabled);
    connect(importButton, &QPushButton::clicked, this,
            [this] { runGuarded([this] { importListed(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    resize(720, 520);
}

ImportDocumentsDialog::~ImportDocumentsDialog() = default;

void ImportDocumentsDialog::execute(QWidget* parent) {
    ImportDocumentsDialog dialog(parent);
    dialog.exec();
}

void ImportDocumentsDialog::addPaths(const QStringList& paths) {
    for (const QString& path : paths) {
        if (filesList->findItems(path, Qt::MatchExactly).isEmpty())
            filesList->addItem(path);
    }
    if (!paths.isEmpty())
        lastFolder() = QFileInfo(paths.last()).absolutePath();
}

QStringList ImportDocumentsDialog::choose(bool folder) {
    QFileDialog dialog(this,
                       folder ? QStringLiteral("Pasta com os documentos a importar")
                              : QStringLiteral("Documentos a importar"),
                       lastFolder());
    dialog.setObjectName(QStringLiteral("chooseDialog"));
    if (folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilters({QStringLiteral("Documentos fiscais (*.xml *.XML)"),
                               QStringLiteral("Todos os arquivos (*)")});
    }
    // The application carries no translation of Qt's own dialogs.
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Examinar:"));
    dialog.setLabelText(QFileDialog::FileName,
                        folder ? QStringLiteral("Pasta:") : QStringLiteral("Arquivos:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
    dialog.setLabelText(QFileDialog::Accept,
                        folder ? QStringLiteral("Escolher") : QStringLiteral("Abrir"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

void ImportDocumentsDialog::chooseFiles() {
    addPaths(choose(false));
}

void ImportDocumentsDialog::chooseFolder() {
    addPaths(choose(true));
}

void ImportDocumentsDialog::removeSelected() {
    qDeleteAll(filesList->selectedItems());
}

QList<int> ImportDocumentsDialog::items() const {
    QList<int> out;
    if (!assetsCheck->isChecked())
        return out;
    for (const QString& part : itemsEdit->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 1 || n > 990) {
            itemsEdit->setFocus();
            MensErro(QStringLiteral("Informe os itens como números de 1 a 990 separados por "
                                    "vírgula (ex.: 1,3), ou deixe em branco para todos."));
        }
        out << n;
    }
    return out;
}

void ImportDocumentsDialog::importListed() {
    QStringList paths;
    for (int i = 0; i < filesList->count(); ++i)
        paths << filesList->item(i)->text();
    DocumentImport import(*m_server);
    import.assets = assetsCheck->isChecked();
    import.items = items();
    int ignored = 0;
    const QStringList files = DocumentImport::collect(paths, &ignored);
    if (files.isEmpty()) {
        filesList->setFocus();
        MensErro(paths.isEmpty() ? QStringLiteral("Escolha os arquivos ou a pasta a importar.")
                                 : QStringLiteral("Nenhum arquivo XML nos arquivos e pastas "
                                                  "escolhidos."));
    }

    // The server is called once per file, so the dialog can be stopped between files.
    QProgressDialog progress(QStringLiteral("Importando…"), QStringLiteral("&Cancelar"), 0,
                             int(files.size()), this);
    progress.setObjectName(QStringLiteral("importProgress"));
    progress.setWindowTitle(QStringLiteral("Importar Documentos"));
    progress.setMinimumWidth(460);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    import.onProgress = [&progress](int done, int total, const QString& path) {
        progress.setLabelText(path.isEmpty() ? QStringLiteral("Concluído.")
                                             : QStringLiteral("Importando %1 de %2: %3")
                                                   .arg(done + 1)
                                                   .arg(total)
                                                   .arg(QFileInfo(path).fileName()));
    progress.setValue(done);
    return !progress.wasCanceled();
};
m_summary = import.run(files);
progress.close();
showSummary(ignored);
}

void ImportDocumentsDialog::showSummary(int ignored) {
    const DocumentImportSummary& s = m_summary;
    QStringList lines{QStringLiteral("Importados: %1    Já importados: %2    Recusados: %3")
                          .arg(s.imported)
                          .arg(s.duplicates)
                          .arg(s.refused)};
    if (s.cancelled)
        lines << QStringLiteral("Importação cancelada: %1 arquivo(s) não foram enviados.")
                     .arg(s.notSent);
    if (s.interrupted)
        lines << QStringLiteral("Importação interrompida pela falha mostrada: %1 arquivo(s) não "
                                "foram enviados.")
                     .arg(s.notSent);
    if (ignored > 0)
        lines << QStringLiteral("%1 arquivo(s) das pastas não são XML e foram ignorados.")
                     .arg(ignored);
    countsLabel->setText(lines.join(QLatin1Char('\n')));

    // The refusals first: they are what the user has to act on.
    QList<ImportedFile> ordered;
    for (const ImportedFile& f : s.files)
        if (f.status == ImportedFile::Status::Refused)
            ordered << f;
    for (const ImportedFile& f : s.files)
        if (f.status != ImportedFile::Status::Refused)
            ordered << f;
    resultsTable->setRowCount(int(ordered.size()));
    for (int row = 0; row < ordered.size(); ++row) {
        const ImportedFile& f = ordered.at(row);
        const bool refused = f.status == ImportedFile::Status::Refused;
        auto* name = new QTableWidgetItem(QFileInfo(f.path).fileName());
        name->setToolTip(f.path);
        auto* status = new QTableWidgetItem(statusText(f.status));
        auto* result = new QTableWidgetItem(refused ? f.reason : f.result);
        result->setToolTip(result->text());
        if (refused) {
            for (QTableWidgetItem* item : {name, status, result})
                item->setForeground(QColor(0xb0, 0x00, 0x20));
        }
        resultsTable->setItem(row, 0, name);
        resultsTable->setItem(row, 1, status);
        resultsTable->setItem(row, 2, result);
    }
    resultsTable->setVisible(true);
    resultsTable->resizeRowsToContents();
    // The list is done: a second Importar would send the same files again.
    filesList->clear();
    resultsTable->setFocus();
    if (!ordered.isEmpty())
        resultsTable->selectRow(0);
}
