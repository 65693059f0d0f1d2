#include "DocumentImport.h"

#include "DataPacket.h"
#include "FiscalServer.h"
#include "HostErrors.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

ImportedFile refusedHere(const QString& path, const QString& reason) {
    ImportedFile f;
    f.path = path;
    f.reason = reason;
    return f;
}

QString cell(const ciap::DataPacket& packet, const char* field) {
    const int i = packet.indexOf(QLatin1String(field));
    return i < 0 || packet.rows.isEmpty() ? QString() : packet.rows.first().value(i).toString();
}

QString itemList(const QList<int>& items) {
    QStringList out;
    for (int n : items)
        out << QString::number(n);
    return out.join(QLatin1Char(','));
}

} // namespace

QStringList DocumentImport::collect(const QStringList& paths, int* ignored) {
    QStringList out;
    int skipped = 0;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) {
            out << path;
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
        out << found;
    }
    if (ignored)
        *ignored = skipped;
    return out;
}

ImportedFile DocumentImport::importFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refusedHere(
            path, QStringLiteral("O arquivo não pôde ser lido: %1.").arg(file.errorString()));
    if (file.size() > MaxFileBytes) {
        const QLocale br(QLocale::Portuguese, QLocale::Brazil);
        return refusedHere(path, QStringLiteral("O arquivo tem %1 bytes; o limite é %2 bytes.")
                                     .arg(br.toString(file.size()), br.toString(MaxFileBytes)));
    }
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (bytes.size() > MaxFileBytes)
        return refusedHere(path, QStringLiteral("O arquivo cresceu enquanto era lido."));

    const QVariant answer = m_server.call(
        QStringLiteral("importDocument"),
        {QFileInfo(path).fileName(), QString::fromLatin1(bytes.toBase64()),
         assets || !items.isEmpty() ? QStringLiteral("S") : QStringLiteral("N"), itemList(items)});
    // Packets come from the connection packed for a data set; as a DataPacket they convert.
    if (!answer.canConvert<ciap::DataPacket>() || answer.value<ciap::DataPacket>().rows.size() != 1)
        throw EHostError(QStringLiteral("Resposta inválida do servidor para importDocument."));
    const auto packet = answer.value<ciap::DataPacket>();
    ImportedFile f;
    f.path = path;
    const QString status = cell(packet, "SITUACAO");
    f.status = status == QLatin1String("I")   ? ImportedFile::Status::Imported
               : status == QLatin1String("D") ? ImportedFile::Status::Duplicate
                                              : ImportedFile::Status::Refused;
    f.reason = cell(packet, "MOTIVO");
    f.key = cell(packet, "CHDOCUMENTO");
    f.result = cell(packet, "DSRESULTADO");
    f.assets = int(cell(packet, "QTBENS").toDouble());
    return f;
}

DocumentImportSummary DocumentImport::run(const QStringList& files) {
    DocumentImportSummary summary;
    const int total = int(files.size());
    for (int i = 0; i < total; ++i) {
        if (onProgress && !onProgress(i, total, files[i])) {
            summary.cancelled = true;
            summary.notSent = total - i;
            break;
        }
        ImportedFile f;
        // A failed call was shown where it failed; the summary then says the run stopped
        // there, and what it had done before.
        if (runShowingFailure([&] { f = importFile(files[i]); })) {
            summary.interrupted = true;
            summary.notSent = total - i;
            break;
        }
        switch (f.status) {
        case ImportedFile::Status::Imported:
            ++summary.imported;
            break;
        case ImportedFile::Status::Duplicate:
            ++summary.duplicates;
            break;
        case ImportedFile::Status::Refused:
            ++summary.refused;
            break;
        }
        summary.files.append(f);
    }
    if (onProgress && !summary.cancelled && !summary.interrupted)
        onProgress(total, total, QString());
    return summary;
}
