#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class FiscalServer;

// What the server made of one file.
struct ImportedFile {
    enum class Status { Imported, Duplicate, Refused };
    QString path;
    Status status = Status::Refused;
    QString reason; // why it was refused
    QString key;    // the document's access key, once it was read
    QString result; // what it holds in the register, in the server's words
    int assets = 0; // assets made of it
};

struct DocumentImportSummary {
    int imported = 0;
    int duplicates = 0;
    int refused = 0;
    bool cancelled = false;   // the user stopped between files
    bool interrupted = false; // a call failed (shown then): the files after it were not sent
    int notSent = 0;          // files left out by a cancel or an interruption
    QList<ImportedFile> files;
};

// Sends documents to the server one file per call (ciap.fiscal.importDocument), so that the
// user can stop between files and a refused file never stops the others. No window: the
// import dialog shows the progress and the summary.
class DocumentImport final {
public:
    // The server reads no larger document; a larger file is refused here without being read.
    static constexpr qint64 MaxFileBytes = 4 * 1024 * 1024;

    explicit DocumentImport(FiscalServer& server)
        : m_server(server) {}

    // The files named, folders replaced by the .xml files under them (any case, subfolders
    // too, in name order); the other files of a folder are counted in ignored.
    static QStringList collect(const QStringList& paths, int* ignored = nullptr);

    // Items of suppliers' NF-e become assets (all, or only the numbered ones).
    bool assets = false;
    QList<int> items;
    // Before each file (done of total so far) and once at the end; false stops before the
    // next file.
    std::function<bool(int done, int total, const QString& path)> onProgress;

    DocumentImportSummary run(const QStringList& files);
    // One file; throws EAbort when the call failed (already shown).
    ImportedFile importFile(const QString& path);

private:
    FiscalServer& m_server;
};
