// The import as a run over many files: each file whole or not at all, a refused one never
// stopping the others, the same file twice changing nothing, files of another company, very
// large files and folders holding anything; files parsed ahead on other threads and written in
// their order; a run cancelled between files.
#include "ImportEngine.h"
#include "ImportFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace ciap::server;
using fixture::Company;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// The outgoing sample with its first item repeated up to `items` items.
QByteArray withItems(int items) {
    QString text = QString::fromUtf8(samples::renumbered(samples::read(samples::Outgoing), 777));
    const qsizetype start = text.indexOf(QLatin1String("<det nItem=\"1\">"));
    const qsizetype end = text.indexOf(QLatin1String("<det nItem=\"2\">"));
    const qsizetype total = text.indexOf(QLatin1String("<total>"));
    const QString item = text.mid(start, end - start);
    QString all;
    for (int n = 1; n <= items; ++n)
        all += QString(item).replace(QLatin1String("nItem=\"1\""),
                                     QStringLiteral("nItem=\"%1\"").arg(n));
    return (text.left(start) + all + text.mid(total)).toUtf8();
}

} // namespace

class tst_ImportFiles : public QObject {
    Q_OBJECT

private:
    ImportFixture m_fx;

    static ImportSource bytes(const QString& name, const QByteArray& xml) {
        return ImportFixture::source(name, xml);
    }
    static ImportSource file(const QString& name) { return {name, samples::path(name), {}}; }
    static QString reasonOf(const ImportSummary& s, const QString& name) {
        for (const FileOutcome& f : s.files) {
            if (f.name == name)
                return f.reason;
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() {
        QString skip;
        if (!m_fx.start(&skip))
            QSKIP(qPrintable(skip));
    }
    void init() { m_fx.reset(); }

    // Refused files are named with their reason, and the good ones around them are imported.
    void refusedFilesDoNotStopTheOthers_data() {
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<QString>("reason");
        QString other = QString::fromUtf8(samples::read(samples::Supplier));
        other.replace(samples::Registration, QStringLiteral("244123456127"));
        QTest::newRow("another company's document")
            << other.toUtf8() << "não pertence a nenhuma inscrição estadual cadastrada";
        QTest::newRow("freight the company did not take")
            << samples::read(QStringLiteral("cte_v3_toma4.xml"))
                   .replace("<CNPJ>12345678000195</CNPJ>\n          <IE>244123456119</IE>",
                            "<CNPJ>12345678000276</CNPJ>\n          <IE>244123457110</IE>")
            << "só o tomador do serviço credita";
        QTest::newRow("truncated")
            << samples::read(samples::Supplier).left(3000) << "não é um XML válido";
        QTest::newRow("not a fiscal document")
            << QByteArray("<?xml version=\"1.0\"?><a/>") << "não é uma NF-e";
        QTest::newRow("entity expansion")
            << samples::read(QStringLiteral("refused/dtd_entity_expansion.xml")) << "DOCTYPE";
    }
    void refusedFilesDoNotStopTheOthers() {
        QFETCH(QByteArray, bad);
        QFETCH(QString, reason);
        const ImportSummary s =
            m_fx.import({file(samples::Outgoing), bytes("bad.xml", bad), file(samples::OwnEntry)});
        QCOMPARE(s.imported, 2);
        QCOMPARE(s.refused, 1);
        QVERIFY2(reasonOf(s, "bad.xml").contains(reason), qPrintable(reasonOf(s, "bad.xml")));
        QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM DOCIMPORTADO")).toInt(), 2);
    }

    // The same documents again, in the same run or a later one: nothing changes.
    void sameDocumentTwice() {
        const QStringList all{samples::Supplier, samples::SupplierFreight, samples::Outgoing,
                              samples::Cancellation, samples::OwnEntry};
        ImportSummary s =
            m_fx.importSamples(all + QStringList{samples::Supplier}, ImportOptions{true, {}});
        QCOMPARE(s.imported, 5);
        QCOMPARE(s.duplicates, 1);
        const QStringList before = m_fx.snapshot();
        s = m_fx.importSamples(all, ImportOptions{true, {}});
        QCOMPARE(s.duplicates, 5);
        QCOMPARE(s.refused, 0);
        QCOMPARE(m_fx.snapshot(), before);
    }

    // A document is written whole or not at all: the transfer is written as one registration's
    // exit before the other's purchase refuses the items asked for, and nothing of it stays.
    void wholeOrNothing() {
        m_fx.addCustomerRegistration();
        const QStringList before = m_fx.snapshot();
        const ImportSummary s =
            m_fx.import({file(samples::Outgoing)}, ImportOptions{true, {4, 99}});
        QCOMPARE(s.refused, 1);
        QVERIFY2(s.files.first().reason.contains(QLatin1String("99")),
                 qPrintable(s.files.first().reason));
        QCOMPARE(m_fx.snapshot(), before);
        QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM DOCIMPORTADO")).toInt(), 0);
    }

    // A large invoice (990 items) goes in; a file past the reader's limit is refused unread.
    void veryLargeFiles() {
        QTemporaryDir dir;
        const QByteArray big = withItems(990);
        QVERIFY(big.size() > 500 * 1024);
        write(dir.filePath("big.xml"), big);
        QByteArray huge = samples::read(samples::Supplier);
        huge.insert(huge.indexOf("<nfeProc"), QByteArray(5 * 1024 * 1024, ' '));
        write(dir.filePath("huge.xml"), huge);
        const ImportSummary s = m_fx.import(ImportEngine::collect({dir.path()}));
        QCOMPARE(s.imported, 1);
        QCOMPARE(s.refused, 1);
        QVERIFY(s.files.first().name.endsWith(QLatin1String("huge.xml")));
        QCOMPARE(
            m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM NFSAIDAITEM WHERE CDINSCESTA = ?"),
                        {samples::Registration})
                .toInt(),
            990);
    }

    // A folder with subfolders: every .xml is read, whatever it holds; other files are counted
    // and left alone.
    void folderWithMixedFiles() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("2024/03")));
        write(dir.filePath("2024/03/saida.XML"), samples::read(samples::Outgoing));
        write(dir.filePath("2024/compra.xml"), samples::read(samples::Supplier));
        write(dir.filePath("danfe.pdf"), QByteArray("%PDF-1.4"));
        write(dir.filePath("notas.txt"), QByteArray("x"));
        write(dir.filePath("lixo.xml"), QByteArray("\x00\x01garbage", 9));
        int ignored = 0;
        const QList<ImportSource> sources = ImportEngine::collect({dir.path()}, &ignored);
        QCOMPARE(sources.size(), 3);
        QCOMPARE(ignored, 2);
        const ImportSummary s = m_fx.import(sources);
        QCOMPARE(s.imported, 2);
        QCOMPARE(s.refused, 1);
    }

    // Parsed on three threads, written in the order given: the assets are numbered file by
    // file, as one thread alone would number them.
    void parsedAheadWrittenInOrder() {
        QList<ImportSource> sources;
        const QByteArray supplier = samples::read(samples::Supplier);
        for (int i = 0; i < 30; ++i)
            sources << bytes(QString::number(i), samples::renumbered(supplier, 50000 + i));
        ImportEngine engine(m_fx.session(), ImportOptions{true, {2}});
        engine.parserThreads = 3;
        QCOMPARE(engine.run(sources).imported, 30);
        const QStringList order = m_fx.rows(
            QStringLiteral("SELECT d.NRDOCUMENTO FROM BEMDOCUMENTO d WHERE d.CDEMPRESA = ?"
                           " ORDER BY d.CDBEMATIVO"),
            {Company});
        QStringList expected;
        for (int i = 0; i < 30; ++i)
            expected << QString::number(50000 + i);
        QCOMPARE(order, expected);
    }

    // Stopped between files: what was imported stays, the rest is not read.
    void cancelledBetweenFiles() {
        QList<ImportSource> sources;
        for (int i = 0; i < 5; ++i)
            sources << bytes(QString::number(i),
                             samples::renumbered(samples::read(samples::Outgoing), 900 + i));
        ImportEngine engine(m_fx.session(), {});
        int done = 0;
        engine.onProgress = [&](const ImportProgress& p) {
            done = p.done;
            QCOMPARE(p.total, 5);
        };
        engine.cancelRequested = [&] { return done >= 2; };
        const ImportSummary s = engine.run(sources);
        QVERIFY(s.cancelled);
        QCOMPARE(s.imported, 2);
        QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM NFSAIDA WHERE CHNFE IS NOT NULL"))
                     .toInt(),
                 2);
    }
};

QTEST_GUILESS_MAIN(tst_ImportFiles)
#include "tst_import_files.moc"
