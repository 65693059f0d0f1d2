// import: files and folders into the register, a progress line on a terminal, the refusals
// and the summary line.
#include "AdminSupport.h"
#include "ImportEngine.h"

#include <QElapsedTimer>

namespace ciap::admin {

using namespace ciap::server;

int importCommand(const QStringList& arguments, AdminIo& io) {
    const AdminArguments args(arguments, {QStringLiteral("database"), QStringLiteral("items")},
                              {QStringLiteral("assets")}, true);
    ImportOptions options;
    options.assets = args.has(QStringLiteral("assets"));
    options.items = args.numbers(QStringLiteral("items"));
    if (args.positional().isEmpty())
        throw UsageError(QStringLiteral("Informe os arquivos ou pastas a importar."));
    int ignored = 0;
    const QList<ImportSource> sources = ImportEngine::collect(args.positional(), &ignored);
    Database db = openDatabase(args);

    ImportEngine engine(*db.session, options);
    qsizetype shown = 0;
    QElapsedTimer sinceDrawn;
    if (io.progress) {
        engine.onProgress = [&](const ImportProgress& p) {
            // Redrawn ten times a second at most: a fast import does not wait on the terminal.
            if (sinceDrawn.isValid() && sinceDrawn.elapsed() < 100 && p.done != p.total)
                return;
            sinceDrawn.start();
            const QString line =
                QStringLiteral("importando %1 de %2: %3").arg(p.done).arg(p.total).arg(p.name);
            io.err << '\r' << line.left(100).leftJustified(shown) << Qt::flush;
            shown = std::max(shown, line.left(100).size());
        };
    }
    engine.cancelRequested = io.cancelRequested;
    const ImportSummary summary = engine.run(sources);
    if (shown > 0)
        io.err << '\r' << QString(shown, QLatin1Char(' ')) << '\r' << Qt::flush;

    for (const FileOutcome& f : summary.files) {
        if (f.status == FileStatus::Refused)
            io.out << "recusado: " << f.name << ": " << f.reason << '\n';
    }
    if (ignored > 0)
        io.out << "ignorados: " << ignored << " arquivo(s) das pastas sem extensão .xml\n";
    if (summary.cancelled)
        io.out << "importação interrompida a pedido: os arquivos seguintes não foram lidos\n";
    if (!summary.failure.isEmpty())
        io.out << summary.failure << '\n';
    io.out << "imported " << summary.imported << ", duplicates " << summary.duplicates
           << ", refused " << summary.refused << '\n';
    return summary.refused == 0 && summary.failure.isEmpty() && !summary.cancelled ? 0 : 1;
}

} // namespace ciap::admin
