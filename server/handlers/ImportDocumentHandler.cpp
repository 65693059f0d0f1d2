#include "ImportDocumentHandler.h"

#include "ImportEngine.h"
#include "ImportReport.h"
#include "Params.h"
#include "RegisterArguments.h"
#include "RegisterPackets.h"
#include "ServiceError.h"

namespace ciap::server {

namespace {

// The name is kept with the imported key (DOCIMPORTADO.NMARQUIVO).
constexpr int MaxNameLength = 400;

QString status(FileStatus s) {
    switch (s) {
    case FileStatus::Imported:
        return QStringLiteral("I");
    case FileStatus::Duplicate:
        return QStringLiteral("D");
    case FileStatus::Refused:
        break;
    }
    return QStringLiteral("R");
}

} // namespace

QByteArray ImportDocumentHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    const QString fileName = p.text(0).trimmed();
    if (fileName.isEmpty() || fileName.size() > MaxNameLength)
        p.fail(0, QStringLiteral("deve ser o nome do arquivo, com até %1 caracteres.")
                      .arg(MaxNameLength));
    // The file's bytes as they are, so that the reader sees the encoding its own declaration
    // names and nothing was converted on the way.
    const auto decoded = QByteArray::fromBase64Encoding(p.text(1).toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        p.fail(1, QStringLiteral("deve ser o conteúdo do arquivo em base64."));
    ImportOptions options;
    options.assets = RegisterArguments::flag(p, 2);
    options.items = RegisterArguments::items(p, 3);

    // The engine keeps the file whole or not at all in a transaction of its own.
    ImportEngine engine(session, options);
    engine.parserThreads = 1;
    FileOutcome outcome;
    engine.onProgress = [&outcome](const ImportProgress& progress) { outcome = progress.outcome; };
    const ImportSummary summary = engine.run({ImportSource{fileName, {}, *decoded}});
    if (!summary.failure.isEmpty())
        throw ServiceError::rule(summary.failure);

    QVariantList row{status(outcome.status),
                     outcome.reason.isEmpty() ? QVariant() : QVariant(outcome.reason),
                     outcome.kind.isEmpty() ? QVariant() : QVariant(outcome.kind),
                     outcome.key.isEmpty() ? QVariant() : QVariant(outcome.key),
                     QVariant(),
                     QVariant(),
                     0.0,
                     QVariant()};
    if (outcome.status != FileStatus::Refused) {
        const ImportReport report = ImportReport::of(session, outcome.kind, outcome.key);
        row[4] = report.company;
        row[5] = report.registration;
        row[6] = double(report.assets);
        row[7] = report.text;
    }
    return RegisterPackets::write(RegisterPackets::importResult(), {row});
}

} // namespace ciap::server
