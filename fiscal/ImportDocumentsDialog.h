#pragma once

#include "DocumentImport.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class FiscalServer;

// "Fiscal" → "Importar Documentos…": the files or folders to import and what becomes an asset,
// then the import with a progress dialog that stops between files, then the summary in the
// same window: the counts, the refusals with their reasons first, and what each imported file
// brought into the register.
class ImportDocumentsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ImportDocumentsDialog(QWidget* parent = nullptr);
    ~ImportDocumentsDialog() override;

    // Opens the dialog over the host's window, modal, until the user closes it.
    static void execute(QWidget* parent);

    // What the buttons do, for the buttons and for tests.
    void addPaths(const QStringList& paths);
    void chooseFiles();
    void chooseFolder();
    void removeSelected();
    // Imports what the list names; throws EAbort after showing what was wrong with the
    // choice. Shows the summary.
    void importListed();
    const DocumentImportSummary& lastSummary() const { return m_summary; }

    QListWidget* filesList = nullptr;
    QPushButton* addFilesButton = nullptr;
    QPushButton* addFolderButton = nullptr;
    QPushButton* removeButton = nullptr;
    QCheckBox* assetsCheck = nullptr;
    QLineEdit* itemsEdit = nullptr;
    QLabel* countsLabel = nullptr;
    QTableWidget* resultsTable = nullptr;
    QPushButton* importButton = nullptr;
    QPushButton* closeButton = nullptr;

private:
    QList<int> items() const;
    QStringList choose(bool folder);
    void showSummary(int ignored);

    FiscalServer* m_server = nullptr;
    DocumentImportSummary m_summary;
};
