#pragma once

#include "ImportTypes.h"

#include <QStringList>
#include <functional>

namespace ciap::server {

class Session;

// Imports many files into the register: each file whole or not at all, a refused file never
// stopping the others. Files are read and parsed on worker threads while the calling thread
// writes, a savepoint per file inside transactions committed every few hundred files (or
// every second), so that a database shared with a running server is not held for long.
//
// The engine opens its own transactions, so call it outside a TransactionGuard; or, with
// ownTransactions off, inside the caller's, which then commits every good file or none (the
// demo's seed does so). A server method handler calls it with its Session, one file or many.
class ImportEngine final {
public:
    ImportEngine(Session& session, ImportOptions options);

    // After every file: for a terminal's progress line or a progress dialog.
    std::function<void(const ImportProgress&)> onProgress;
    // Asked between files; true stops the run, keeping the files already imported.
    std::function<bool()> cancelRequested;
    int parserThreads = defaultParserThreads();
    bool ownTransactions = true;

    // Never throws for a file's fault; a database failure stops the run and is reported in
    // the summary, the files of the batch it undid counted as refused.
    ImportSummary run(const QList<ImportSource>& sources);

    // The files named, folders replaced by the .xml files under them (in name order); other
    // files of a folder are counted in `ignored`.
    static QList<ImportSource> collect(const QStringList& paths, int* ignored = nullptr);
    static int defaultParserThreads();

private:
    Session& m_session;
    ImportOptions m_options;
};

} // namespace ciap::server
