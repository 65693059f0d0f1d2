// The document import and the register window against the real server: what the user
// chooses, sees and saves, and what the server then holds.
#include "AssetRegisterWindow.h"
#include "DocumentImport.h"
#include "FiscalServer.h"
#include "FiscalWindowFixture.h"
#include "HostErrors.h"
#include "ImportDocumentsDialog.h"
#include "RegisterFormat.h"
#include "SampleDocuments.h"
#include "TClientDataSet.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>

using Status = ImportedFile::Status;

class tst_FiscalWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY2(m_fx.start(), qPrintable(m_fx.error)); }
    void cleanup() { QVERIFY(m_fx.stop()); }

    void amountsAndKeys_data();
    void amountsAndKeys();
    void folderImportedFileByFile();
    void cancelledBetweenFiles();
    void summaryShowsRefusalsFirst();
    void filterChecked_data();
    void filterChecked();
    void handEnteredFieldsSaved();
    void staleEditStaysUnsaved();
    void exitRecorded();
    void purchaseItemBecomesAssets();

private:
    // A folder of good documents, refused ones, a file too large and one that is no XML.
    QString mixedFolder();
    QString stored(const QString& column, const QString& asset) {
        return m_fx
            .scalar(QStringLiteral("SELECT %1 FROM BEMATIVO WHERE CDBEMATIVO = ?").arg(column),
                    {asset})
            .toString();
    }
    static QString text(AssetRegisterWindow* w, const char* field) {
        return w->cdsAssets->FieldByName(QLatin1String(field))->AsString();
    }

    FiscalWindowFixture m_fx;
};

// Pure: no server needed, but cheap enough to run with one.
void tst_FiscalWindows::amountsAndKeys_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<qint64>("cents"); // -1: refused
    QTest::newRow("grouped") << "1.234,56" << qint64(123456);
    QTest::newRow("plain, one decimal") << "1234,5" << qint64(123450);
    QTest::newRow("thousands without decimals") << "1.500" << qint64(150000);
    QTest::newRow("three decimals") << "1,234" << qint64(-1);
    QTest::newRow("point as decimal") << "12.5" << qint64(-1);
    QTest::newRow("negative") << "-5,00" << qint64(-1);
    QTest::newRow("letters") << "12a" << qint64(-1);
}

void tst_FiscalWindows::amountsAndKeys() {
    QFETCH(QString, typed);
    QFETCH(qint64, cents);
    QCOMPARE(RegisterFormat::parseCents(typed).value_or(-1), cents);
    if (cents >= 0)
        QCOMPARE(RegisterFormat::parseCents(RegisterFormat::centsText(cents)), cents);
    // The client's check digit agrees with the documents' own keys.
    const QString key = samples::keyOf(samples::read(samples::Supplier));
    QVERIFY(RegisterFormat::isAccessKey(key));
    QVERIFY(!RegisterFormat::isAccessKey(key.left(43) +
                                         QChar(u'0' + (key.at(43).digitValue() + 1) % 10)));
}

QString tst_FiscalWindows::mixedFolder() {
    const QString folder = m_fx.dir.filePath(QStringLiteral("docs-%1").arg(m_fx.run));
    QDir().mkpath(folder + QStringLiteral("/sub"));
    for (const QString& name : {samples::Supplier, samples::OwnEntry, samples::SupplierFreight})
        QFile::copy(samples::path(name), folder + u'/' + name);
    QFile::copy(samples::path(QStringLiteral("refused/no_protocol.xml")),
                folder + QStringLiteral("/sub/no_protocol.xml"));
    QFile big(folder + QStringLiteral("/big.XML"));
    big.open(QIODevice::WriteOnly);
    big.write(QByteArray(DocumentImport::MaxFileBytes + 1, ' '));
    big.close();
    QFile note(folder + QStringLiteral("/leia-me.txt"));
    note.open(QIODevice::WriteOnly);
    return folder;
}

void tst_FiscalWindows::folderImportedFileByFile() {
    int ignored = 0;
    const QStringList files = DocumentImport::collect({mixedFolder()}, &ignored);
    QCOMPARE(files.size(), 5);
    QCOMPARE(ignored, 1);
    FiscalServer server;
    DocumentImport import(server);
    import.assets = true;
    DocumentImportSummary s = import.run(files);
    QCOMPARE(s.imported, 3);
    QCOMPARE(s.refused, 2);
    QVERIFY(!s.cancelled && !s.interrupted);
    // The supplier's three lathes and its compressor, and the own entry's machining centre.
    QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM BEMATIVO")).toInt(), 5);
    for (const ImportedFile& f : s.files) {
        if (f.path.endsWith(QLatin1String("big.XML")))
            QVERIFY2(f.reason.contains(QStringLiteral("o limite é 4.194.304 bytes")),
                     qPrintable(f.reason));
        if (f.path.endsWith(QLatin1String("no_protocol.xml")))
            QVERIFY(f.reason.contains(QLatin1String("protocolo")));
    }
    s = import.run(files);
    QCOMPARE(s.duplicates, 3);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

void tst_FiscalWindows::cancelledBetweenFiles() {
    const QStringList files = DocumentImport::collect({mixedFolder()});
    FiscalServer server;
    DocumentImport import(server);
    import.onProgress = [](int done, int, const QString&) { return done < 2;
};
const DocumentImportSummary s = import.run(files);
QVERIFY(s.cancelled);
QCOMPARE(s.files.size(), 2);
QCOMPARE(s.notSent, 3);
QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM DOCIMPORTADO")).toInt(), s.imported);
}

void tst_FiscalWindows::summaryShowsRefusalsFirst() {
    ImportDocumentsDialog dialog;
    dialog.addPaths({mixedFolder()});
    dialog.importListed();
    QCOMPARE(dialog.lastSummary().imported, 3);
    QVERIFY2(dialog.countsLabel->text().contains(
                 QStringLiteral("Importados: 3    Já importados: 0    Recusados: 2")),
             qPrintable(dialog.countsLabel->text()));
    QVERIFY(
        dialog.countsLabel->text().contains(QStringLiteral("1 arquivo(s) das pastas não são XML")));
    QCOMPARE(dialog.resultsTable->rowCount(), 5);
    QCOMPARE(dialog.resultsTable->item(0, 1)->text(), QStringLiteral("Recusado"));
    QCOMPARE(dialog.resultsTable->item(1, 1)->text(), QStringLiteral("Recusado"));
    QCOMPARE(dialog.resultsTable->item(2, 1)->text(), QStringLiteral("Importado"));
    // The list is done with: a second Importar does not send the files again.
    QCOMPARE(dialog.filesList->count(), 0);
    QVERIFY_THROWS_EXCEPTION(EAbort, dialog.importListed());
    QCOMPARE(m_fx.dialogs.errors(), QStringList{"Escolha os arquivos ou a pasta a importar."});
}

void tst_FiscalWindows::filterChecked_data() {
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("registration");
    QTest::addColumn<QString>("message");
    QTest::newRow("no company") << ""
                                << ""
                                << "Informe a Empresa.";
    QTest::newRow("unknown company") << "9"
                                     << ""
                                     << "Empresa não cadastrada.";
    QTest::newRow("unknown registration") << "5"
                                          << "999"
                                          << "Inscrição Estadual não cadastrada para a empresa.";
    QTest::newRow("all registrations") << "5"
                                       << ""
                                       << "";
}

void tst_FiscalWindows::filterChecked() {
    QFETCH(QString, company);
    QFETCH(QString, registration);
    QFETCH(QString, message);
    m_fx.importSamples({samples::OwnEntry}, false);
    AssetRegisterWindow* w = AssetRegisterWindow::open();
    w->companyEdit->setText(company);
    w->registrationEdit->setText(registration);
    const bool loaded = runGuarded([w] { w->loadRegister(); });
    QCOMPARE(loaded, message.isEmpty());
    QCOMPARE(m_fx.dialogs.errors(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(w->cdsAssets->Active() ? w->cdsAssets->RecordCount() : 0, loaded ? 1 : 0);
    if (loaded)
        QCOMPARE(w->companyEdit->text(), FiscalWindowFixture::Company);
}

// What no document carries, typed into the grid's fields and saved: the server holds it, and
// the asset lacks nothing more.
void tst_FiscalWindows::handEnteredFieldsSaved() {
    m_fx.importSamples({samples::Supplier}, true);
    AssetRegisterWindow* w = m_fx.openRegister();
    QCOMPARE(w->cdsAssets->RecordCount(), 4);
    QVERIFY(w->assetDetails->toPlainText().contains(QStringLiteral("diferencial de alíquota")));
    const QString code = text(w, "CDBEMATIVO");
    QVERIFY(!w->columnEditable(QStringLiteral("VRICMSPROPRIOCENT")));
    QVERIFY(w->columnEditable(QStringLiteral("VRICMSDIFALCENT")));
    w->cdsAssets->Edit();
    const QList<std::pair<const char*, QString>> typed{
        {"CDCONTA", "1.2.3.01"},       {"CDCCUSTO", "USINAGEM"}, {"DSFUNCAO", "Torneamento"},
        {"NRVIDAUTIL", "120"},         {"CDITEM", "TX450"},      {"VRICMSDIFALCENT", "1.234,56"},
        {"NRDOCARRECADACAO", "GNRE-7"}};
    for (const auto& [field, value] : typed)
        w->cdsAssets->FieldByName(QLatin1String(field))->SetText(value);
    w->cdsAssets->Post();
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(m_fx.dialogs.texts().join('\n')));
    QCOMPARE(stored("VRICMSDIFAL", code).toDouble(), 1234.56);
    QCOMPARE(stored("IDDIFALPENDENTE", code), QStringLiteral("N"));
    QCOMPARE(text(w, "CDBEMATIVO"), code);
    QCOMPARE(text(w, "QTPENDENCIAS"), QStringLiteral("0"));
    QVERIFY(
        w->assetDetails->toPlainText().contains(QLatin1String("Completo para o arquivo fiscal")));
}

// Someone else saved the asset after it was read: the save is refused and the row stays as
// the user typed it, to be reloaded.
void tst_FiscalWindows::staleEditStaysUnsaved() {
    m_fx.importSamples({samples::OwnEntry}, false);
    AssetRegisterWindow* w = m_fx.openRegister();
    m_fx.exec(QStringLiteral("UPDATE BEMATIVO SET CDCONTA = 'OUTRA'"));
    w->cdsAssets->Edit();
    w->cdsAssets->FieldByName(QStringLiteral("CDCONTA"))->SetText(QStringLiteral("MINHA"));
    QVERIFY_THROWS_EXCEPTION(EAbort, w->cdsAssets->Post());
    QCOMPARE(m_fx.dialogs.errors(),
             QStringList{"O registro foi alterado por outro usuário. Recarregue a lista e tente "
                         "novamente."});
    QCOMPARE(w->cdsAssets->State(), DataSetState::Edit);
    QCOMPARE(text(w, "CDCONTA"), QStringLiteral("MINHA"));
    QCOMPARE(stored("CDCONTA", text(w, "CDBEMATIVO")), QStringLiteral("OUTRA"));
}

void tst_FiscalWindows::exitRecorded() {
    m_fx.importSamples({samples::OwnEntry}, false);
    AssetRegisterWindow* w = m_fx.openRegister();
    const QString code = text(w, "CDBEMATIVO");
    const QString key = samples::keyOf(samples::read(samples::Outgoing));
    // A key with a wrong check digit never reaches the server, and leaves the row as it was.
    QVERIFY_THROWS_EXCEPTION(
        EAbort, w->recordExit(QDate(2024, 5, 2), QStringLiteral("V"), key.left(43) + u'0', 0));
    QCOMPARE(w->cdsAssets->State(), DataSetState::Browse);
    w->recordExit(QDate(2024, 5, 2), QStringLiteral("P"), QString(), 0);
    QCOMPARE(m_fx.dialogs.errors().size(), 1);
    QCOMPARE(stored("DTSAIDA", code).left(10), QStringLiteral("2024-05-02"));
    QCOMPARE(stored("IDTPSAIDA", code), QStringLiteral("P"));
    QVERIFY(
        w->assetDetails->toPlainText().contains(QStringLiteral("Saída em 02/05/2024 (P - perda)")));
    // Before the entry: refused by the server, nothing kept in the row.
    QVERIFY_THROWS_EXCEPTION(EAbort,
                             w->recordExit(QDate(2020, 1, 1), QStringLiteral("O"), QString(), 0));
    QCOMPARE(text(w, "IDTPSAIDA"), QStringLiteral("P"));
    QCOMPARE(stored("IDTPSAIDA", code), QStringLiteral("P"));
}

void tst_FiscalWindows::purchaseItemBecomesAssets() {
    m_fx.importSamples({samples::Supplier}, false);
    AssetRegisterWindow* w = m_fx.openRegister();
    QCOMPARE(w->cdsAssets->RecordCount(), 0);
    QCOMPARE(w->cdsPurchases->RecordCount(), 2);
    const QStringList codes = w->turnIntoAssets();
    QCOMPARE(codes.size(), 3);
    QCOMPARE(w->cdsAssets->RecordCount(), 3);
    // The purchase still waits for its second item; the first is marked.
    QCOMPARE(w->cdsPurchases->RecordCount(), 2);
    QVERIFY(w->cdsPurchases->Locate(QStringLiteral("IDBEM"), QStringLiteral("S"), false));
    QCOMPARE(w->cdsPurchases->FieldByName(QStringLiteral("NRITEM"))->AsFloat(), 1.0);
    QCOMPARE(text(w, "CDBEMATIVO"), codes.first());
}

QTEST_MAIN(tst_FiscalWindows)
#include "tst_fiscal_windows.moc"
