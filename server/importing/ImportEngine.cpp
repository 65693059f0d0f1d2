#include "ImportEngine.h"

#include "DocumentImporter.h"
#include "ImportMessages.h"
#include "ParsePipeline.h"
#include "Savepoint.h"
#include "ServiceError.h"
#include "Session.h"
#include "StorageError.h"
#include "TransactionGuard.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <optional>

namespace ciap::server {

namespace {

// A batch is committed after this many files or this long, whichever comes first.
constexpr int BatchFiles = 500;
constexpr qint64 BatchMs = 1000;

QString storageText(const StorageError& e) {
    if (e.busy())
        return QStringLiteral("o banco de dados está ocupado; tente novamente em instantes");
    if (e.readOnly())
        return QStringLiteral("o banco de dados está somente para leitura");
    if (e.full())
        return QStringLiteral("o banco de dados está cheio");
    return QStringLiteral("%1 (%2)").arg(e.label(), e.nativeCode());
}

void identify(const documents::FiscalDocument& document, FileOutcome& outcome) {
    if (const auto* nfe = std::get_if<documents::NfeDocument>(&document)) {
        outcome.kind = QStringLiteral("NFE");
        outcome.key = nfe->key.toString();
    } else if (const auto* cte = std::get_if<documents::CteDocument>(&document)) {
        outcome.kind = QStringLiteral("CTE");
        outcome.key = cte->key.toString();
    } else {
        outcome.kind = QStringLiteral("EVT");
        outcome.key = std::get<documents::NfeCancellation>(document).nfeKey.toString();
    }
}

} // namespace

ImportEngine::ImportEngine(Session& session, ImportOptions options)
    : m_session(session)
    , m_options(std::move(options)) {}

int ImportEngine::defaultParserThreads() {
    // One core writes; the others read ahead of it.
    return std::clamp(QThread::idealThreadCount() - 1, 1, 4);
}

QList<ImportSource> ImportEngine::collect(const QStringList& paths, int* ignored) {
    QList<ImportSource> out;
    int skipped = 0;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (!info.isDir()) {
            out.append({path, path, {}});
            continue;
        }
        QStringList found;
        QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (file.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
                found << file;
            else
                ++skipped;
        }
        found.sort();
        for (const QString& file : found)
            out.append({file, file, {}});
    }
    if (ignored)
        *ignored = skipped;
    return out;
}

ImportSummary ImportEngine::run(const QList<ImportSource>& sources) {
    ImportSummary summary;
    QList<FileOutcome> batch; // settled since the last commit: undone if the batch is
    int batchImported = 0;
    int batchDuplicates = 0;
    std::optional<TransactionGuard> tx;
    QElapsedTimer sinceCommit;

    const auto settle = [&](const FileOutcome& outcome) {
        if (outcome.status == FileStatus::Refused) {
            ++summary.refused;
            summary.files.append(outcome);
        } else {
            batch.append(outcome);
            (outcome.status == FileStatus::Imported ? batchImported : batchDuplicates)++;
        }
    };
    // The files settled so far count as imported once their transaction is committed: ours,
    // or the caller's when the engine runs inside it.
    const auto commit = [&] {
        if (tx)
            tx->commit();
        tx.reset();
        summary.imported += batchImported;
        summary.duplicates += batchDuplicates;
        for (const FileOutcome& o : std::as_const(batch)) {
            if (o.status == FileStatus::Duplicate)
                summary.files.append(o);
        }
        batch.clear();
        batchImported = batchDuplicates = 0;
    };
    const auto fail = [&](const StorageError& e) {
        tx.reset();
        summary.failure = ImportMessages::storageInterrupted(storageText(e));
        for (FileOutcome o : std::as_const(batch)) {
            o.status = FileStatus::Refused;
            o.reason = ImportMessages::notWritten();
            ++summary.refused;
            summary.files.append(o);
        }
        batch.clear();
        batchImported = batchDuplicates = 0;
    };

    try {
        DocumentImporter importer(m_session, m_options);
        ParsePipeline pipeline(sources, parserThreads, parserThreads * 4);
        for (int i = 0; i < int(sources.size()); ++i) {
            if (cancelRequested && cancelRequested()) {
                summary.cancelled = true;
                break;
            }
            ParsePipeline::Parsed parsed = pipeline.take(i);
            FileOutcome outcome{sources[i].name, FileStatus::Refused, parsed.refusal, {}, {}};
            if (parsed.document) {
                identify(*parsed.document, outcome);
                if (!tx && ownTransactions) {
                    tx.emplace(m_session);
                    sinceCommit.start();
                }
                try {
                    Savepoint unit(m_session);
                    const auto result = importer.import(*parsed.document, sources[i].name);
                    unit.release();
                    outcome.status = result == DocumentImporter::Result::Imported
                                         ? FileStatus::Imported
                                         : FileStatus::Duplicate;
                } catch (const ServiceError& e) {
                    outcome.reason = e.message();
                } catch (const StorageError& e) {
                    // A row the schema refuses is this file's fault; any other failure is the
                    // database's and stops the run below.
                    if (!e.constraint())
                        throw;
                    outcome.reason = ImportMessages::rowRefused(e.label());
                }
            }
            settle(outcome);
            if (onProgress)
                onProgress({i + 1, int(sources.size()), sources[i].name, outcome});
            if (tx && (batch.size() >= BatchFiles || sinceCommit.elapsed() >= BatchMs))
                commit();
        }
        commit();
    } catch (const StorageError& e) {
        fail(e);
    }
    return summary;
}

} // namespace ciap::server
