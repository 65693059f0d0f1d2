// The reader over the sample documents: what each good one yields, why each broken one is
// refused, the limits that keep hostile files harmless, and reading on several threads.
#include "DocumentReader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

using namespace ciap::documents;

namespace {

QString dataPath(const QString& name) {
    return QStringLiteral(CIAP_DOCUMENTS_DATA "/") + name;
}

QByteArray dataBytes(const QString& name) {
    QFile file(dataPath(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test file %s", qPrintable(name));
    return file.readAll();
}

QString money(Cents cents) {
    return centsToString(cents);
}

QString partyLine(const Party& party) {
    return party.id() + u'/' + party.address.uf;
}

// The fields a consumer keys on, one line per document.
QString summary(const FiscalDocument& document) {
    if (const auto* nfe = std::get_if<NfeDocument>(&document)) {
        QStringList refs;
        for (const AccessKey& key : nfe->referencedNfeKeys)
            refs << key.toString();
        return QStringLiteral("NF-e %1 mod %2 %3/%4 %5 tpNF %6 idDest %7 emit %8 dest %9 "
                              "itens %10 vNF %11 ICMS %12 ST %13 ref [%14] prot %15 %16")
            .arg(nfe->key.toString())
            .arg(nfe->model)
            .arg(nfe->series)
            .arg(nfe->number)
            .arg(nfe->issuedAt.toString())
            .arg(nfe->direction)
            .arg(nfe->destination)
            .arg(partyLine(nfe->emitter), nfe->recipient ? partyLine(*nfe->recipient) : "-")
            .arg(nfe->items.size())
            .arg(money(nfe->totals.invoice), money(nfe->totals.icms), money(nfe->totals.st),
                 refs.join(u','))
            .arg(nfe->authorisation.status)
            .arg(nfe->authorisation.protocolNumber);
    }
    if (const auto* cte = std::get_if<CteDocument>(&document)) {
        QStringList keys;
        for (const AccessKey& key : cte->nfeKeys)
            keys << key.toString();
        return QStringLiteral("CT-e %1 v%2 %3/%4 %5 CFOP %6 toma %7 %8 vTPrest %9 %10 CST %11 "
                              "vICMS %12 NF-e [%13] prot %14")
            .arg(cte->key.toString(), cte->version)
            .arg(cte->series)
            .arg(cte->number)
            .arg(cte->issuedAt.toString())
            .arg(cte->cfop)
            .arg(cte->taker.role)
            .arg(partyLine(cte->taker.party), money(cte->serviceTotal), cte->icms.group,
                 cte->icms.cst, money(cte->icms.amount), keys.join(u','))
            .arg(cte->authorisation.status);
    }
    const auto& event = std::get<NfeCancellation>(document);
    return QStringLiteral("cancelamento %1 de %2 seq %3 em %4 prot NF-e %5 registro %6 %7")
        .arg(event.eventType)
        .arg(event.nfeKey.toString())
        .arg(event.sequence)
        .arg(event.eventAt.toString(), event.invoiceProtocol)
        .arg(event.registration.status)
        .arg(event.registration.protocolNumber);
}

QString itemLine(const NfeItem& item) {
    const Icms& icms = item.icms;
    return QStringLiteral("%1 CFOP %2 q %3 x %4 = %5 %6 orig %7 %8 BC %9 p %10 ICMS %11 ST %12")
        .arg(item.number)
        .arg(item.cfop)
        .arg(item.quantity.toString(), item.unitValue.toString(), money(item.totalValue),
             icms.group)
        .arg(icms.origin)
        .arg(icms.cst.isEmpty() ? "CSOSN " + icms.csosn : "CST " + icms.cst, money(icms.base),
             icms.rate.toString(), money(icms.amount), money(icms.stAmount));
}

Refusal refusalOf(const QByteArray& bytes, QString* text = nullptr) {
    try {
        readDocument(bytes);
    } catch (const DocumentError& error) {
        if (text)
            *text = error.text();
        return error.code();
    }
    QTest::qFail("the document was read", __FILE__, __LINE__);
    return Refusal::Unreadable;
}

const QStringList goodFiles = {"nfe_supplier_interstate.xml",
                               "nfe_import_entry.xml",
                               "nfe_outgoing_mixed.xml",
                               "cte_v4_toma3.xml",
                               "cte_v3_toma4.xml",
                               "event_cancellation.xml"};

} // namespace

class TestDocumentReader final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void goodDocuments_data();
    void goodDocuments();
    void nfeItems_data();
    void nfeItems();
    void partiesAndTexts();
    void refusals_data();
    void refusals();
    void everyTruncationRefused();
    void limits();
    void files();
    void severalThreads();
};

void TestDocumentReader::goodDocuments_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");

    const QString supplierKey = "31240398765432000198550010000458211730159264";
    const QString importKey = "35230812345678000195550010000031201202308101";
    QTest::newRow("supplier, interstate")
        << "nfe_supplier_interstate.xml"
        << "NF-e " + supplierKey +
               " mod 55 1/45821 2024-03-15T10:30:00-03:00 tpNF 1 idDest 2 emit 98765432000198/MG "
               "dest 12345678000195/SP itens 2 vNF 472260.00 ICMS 56520.00 ST 1260.00 ref [] "
               "prot 100 131240001234567";
    QTest::newRow("own import entry")
        << "nfe_import_entry.xml"
        << "NF-e " + importKey +
               " mod 55 1/3120 2023-08-10T09:00:00-03:00 tpNF 0 idDest 3 emit 12345678000195/SP "
               "dest DE811907980/EX itens 1 vNF 912000.00 ICMS 200195.12 ST 0.00 ref [] prot 100 "
               "135230009876543";
    QTest::newRow("outgoing, issued late evening")
        << "nfe_outgoing_mixed.xml"
        << "NF-e 35240312345678000195550010000102541310320246 mod 55 1/10254 "
           "2024-03-31T22:45:00-03:00 tpNF 1 idDest 1 emit 12345678000195/SP dest "
           "55566677000183/SP itens 6 vNF 41664.76 ICMS 4650.21 ST 0.00 ref [" +
               supplierKey + "] prot 100 135240004567890";
    QTest::newRow("CT-e 4.00, recipient takes")
        << "cte_v4_toma3.xml"
        << "CT-e 31240345678912000155570010000098761451278934 v4.00 1/9876 "
           "2024-03-15T16:20:00-03:00 CFOP 6352 toma 3 12345678000195/SP vTPrest 3500.00 ICMS00 "
           "CST 00 vICMS 420.00 NF-e [" +
               supplierKey + "] prot 100";
    QTest::newRow("CT-e 3.00, another party takes")
        << "cte_v3_toma4.xml"
        << "CT-e 35230832165498000139570020000012031102938472 v3.00 2/1203 "
           "2023-08-11T08:15:00-03:00 CFOP 5352 toma 4 12345678000195/SP vTPrest 1800.00 ICMS00 "
           "CST 00 vICMS 216.00 NF-e [" +
               importKey + "] prot 100";
    QTest::newRow("cancellation")
        << "event_cancellation.xml"
        << "cancelamento 110111 de 35240312345678000195550010000102541310320246 seq 1 em "
           "2024-04-01T09:10:00-03:00 prot NF-e 135240004567890 registro 135 135240004571234";
}

void TestDocumentReader::goodDocuments() {
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QCOMPARE(summary(readDocumentFile(dataPath(file))), expected);
}

void TestDocumentReader::nfeItems_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    const QString supplier = "nfe_supplier_interstate.xml";
    const QString outgoing = "nfe_outgoing_mixed.xml";
    QTest::newRow("machines, quantity 3")
        << supplier << 0
        << "1 CFOP 6101 q 3.0000 x 150000.0000000000 = 450000.00 ICMS00 orig 0 CST 00 BC "
           "450000.00 p 12.00 ICMS 54000.00 ST 0.00";
    QTest::newRow("with ST") << supplier << 1
                             << "2 CFOP 6401 q 1.0000 x 20000.0000000000 = 20000.00 ICMS10 orig 0 "
                                "CST 10 BC 21000.00 p 12.00 ICMS 2520.00 ST 1260.00";
    QTest::newRow("import") << "nfe_import_entry.xml" << 0
                            << "1 CFOP 3551 q 1.0000 x 800000.0000000000 = 800000.00 ICMS00 orig "
                               "1 CST 00 BC 1112195.12 p 18.00 ICMS 200195.12 ST 0.00";
    QTest::newRow("taxed sale") << outgoing << 0
                                << "1 CFOP 5101 q 100.0000 x 25.5000000000 = 2550.00 ICMS00 orig "
                                   "0 CST 00 BC 2500.00 p 18.00 ICMS 450.00 ST 0.00";
    QTest::newRow("exempt") << outgoing << 1
                            << "2 CFOP 6102 q 10.0000 x 40.0000000000 = 400.00 ICMS40 orig 0 CST "
                               "40 BC 0.00 p 0 ICMS 0.00 ST 0.00";
    QTest::newRow("export") << outgoing << 2
                            << "3 CFOP 7101 q 50.0000 x 12.3456000000 = 617.28 ICMS40 orig 0 CST "
                               "41 BC 0.00 p 0 ICMS 0.00 ST 0.00";
    QTest::newRow("asset sale, reduced base")
        << outgoing << 3
        << "4 CFOP 5551 q 1.0000 x 35000.0000000000 = 35000.00 ICMS20 orig 0 CST 20 BC 23334.50 "
           "p 18.0000 ICMS 4200.21 ST 0.00";
    QTest::newRow("remittance, suspended")
        << outgoing << 4
        << "5 CFOP 5949 q 2.0000 x 1500.0000000000 = 3000.00 ICMS40 orig 0 CST 50 BC 0.00 p 0 "
           "ICMS 0.00 ST 0.00";
    QTest::newRow("Simples Nacional")
        << outgoing << 5
        << "6 CFOP 5102 q 2.5000 x 18.9900000000 = 47.48 ICMSSN102 orig 0 CSOSN 102 BC 0.00 p 0 "
           "ICMS 0.00 ST 0.00";
}

void TestDocumentReader::nfeItems() {
    QFETCH(QString, file);
    QFETCH(int, index);
    QFETCH(QString, expected);
    const auto nfe = std::get<NfeDocument>(readDocumentFile(dataPath(file)));
    QCOMPARE(itemLine(nfe.items.at(index)), expected);
}

// What the summaries leave out: addresses, texts, the values beside ICMS, dates kept local.
void TestDocumentReader::partiesAndTexts() {
    const auto supplier =
        std::get<NfeDocument>(readDocumentFile(dataPath("nfe_supplier_interstate.xml")));
    QCOMPARE(supplier.emitter.name, QStringLiteral("Máquinas Fictícias S.A."));
    QCOMPARE(supplier.recipient->address.street, QStringLiteral("Rua das Indústrias"));
    QCOMPARE(supplier.recipient->address.municipalityCode, QStringLiteral("3509502"));
    QCOMPARE(supplier.recipient->stateRegistration, QStringLiteral("244123456119"));
    QCOMPARE(supplier.recipient->ieIndicator, 1);
    QCOMPARE(supplier.leftOrEnteredAt.toString(), QStringLiteral("2024-03-15T14:00:00-03:00"));
    QCOMPARE(supplier.freightMode, 1);
    QCOMPARE(supplier.items[0].quantity.toInteger(), std::optional<qint64>(3));
    QCOMPARE(supplier.items[1].ipiAmount, 100000);
    QCOMPARE(supplier.items[1].cest, QStringLiteral("0107900"));
    QVERIFY(supplier.items[0].additionalInfo.startsWith(u"Números de série"));
    QVERIFY(!supplier.isConsumerInvoice());

    const auto outgoing =
        std::get<NfeDocument>(readDocumentFile(dataPath("nfe_outgoing_mixed.xml")));
    QCOMPARE(outgoing.issuedAt.localDate(), QDate(2024, 3, 31)); // 01:45 on 1 April in UTC
    QCOMPARE(outgoing.items[0].discount, 5000);
    QCOMPARE(outgoing.items[3].otherCharges, 10000);
    QCOMPARE(outgoing.items[3].icms.baseReduction.toString(), QStringLiteral("33.3300"));
    QVERIFY(outgoing.fiscoInfo.startsWith(u"Base de cálculo reduzida"));
    QVERIFY(outgoing.additionalInfo.startsWith(u"Pedido 8812"));

    const auto import = std::get<NfeDocument>(readDocumentFile(dataPath("nfe_import_entry.xml")));
    QCOMPARE(import.recipient->foreignId, QStringLiteral("DE811907980"));
    QCOMPARE(import.recipient->address.countryCode, QStringLiteral("0230"));
    QCOMPARE(import.totals.importTax, 11200000);

    const auto cte = std::get<CteDocument>(readDocumentFile(dataPath("cte_v3_toma4.xml")));
    QCOMPARE(cte.taker.party.stateRegistration, QStringLiteral("244123456119"));
    QCOMPARE(cte.recipient->id(), QStringLiteral("12345678000276")); // the branch receives
    QCOMPARE(cte.sender->name, QStringLiteral("Armazém Alfandegado Exemplo Ltda"));
    QVERIFY(!cte.shipper && !cte.receiver);
}

void TestDocumentReader::refusals_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("code");

    const QList<std::pair<const char*, const char*>> rows = {
        {"truncated.xml", "malformed_xml"},
        {"mismatched_tag.xml", "malformed_xml"},
        {"undeclared_entity.xml", "malformed_xml"},
        {"dtd_entity_expansion.xml", "dtd_forbidden"},
        {"dtd_external_entity.xml", "dtd_forbidden"},
        {"service_invoice.xml", "not_fiscal_document"},
        {"no_namespace.xml", "not_fiscal_document"},
        {"version_310.xml", "unsupported_version"},
        {"event_correction_letter.xml", "unsupported_event"},
        {"missing_vprod.xml", "missing_element"},
        {"cte_taker_absent.xml", "missing_element"},
        {"money_three_decimals.xml", "bad_number"},
        {"money_decimal_comma.xml", "bad_number"},
        {"quantity_five_decimals.xml", "bad_number"},
        {"date_without_offset.xml", "bad_value"},
        {"key_check_digit.xml", "bad_key"},
        {"key_other_number.xml", "key_mismatch"},
        {"protocol_other_key.xml", "key_mismatch"},
        {"no_protocol.xml", "not_authorised"},
        {"unprocessed_nfe.xml", "not_authorised"},
        {"denied.xml", "not_authorised"},
        {"event_rejected.xml", "not_authorised"},
        {"homologation.xml", "test_environment"},
    };
    for (const auto& [file, code] : rows)
        QTest::newRow(file) << QString::fromUtf8(file) << QString::fromUtf8(code);
}

void TestDocumentReader::refusals() {
    QFETCH(QString, file);
    QFETCH(QString, code);
    try {
        readDocumentFile(dataPath("refused/" + file));
        QFAIL("the document was read");
    } catch (const DocumentError& error) {
        QCOMPARE(QString::fromUtf8(codeName(error.code())), code);
        QVERIFY(!error.text().isEmpty());
        if (error.code() == Refusal::MalformedXml)
            QVERIFY(error.line() > 0 && error.text().contains(u"linha"));
    }
}

// Whatever byte a file is cut at, it is refused as malformed, never read in part.
void TestDocumentReader::everyTruncationRefused() {
    const QByteArray whole = dataBytes("cte_v4_toma3.xml");
    for (qsizetype size = 0; size < whole.trimmed().size(); size += 7)
        QCOMPARE(refusalOf(whole.left(size)), Refusal::MalformedXml);
}

void TestDocumentReader::limits() {
    QString text;
    const QByteArray deep = QByteArray("<a>").repeated(40) + QByteArray("</a>").repeated(40);
    QCOMPARE(refusalOf(deep, &text), Refusal::TooLarge);
    QVERIFY(text.contains(u"níveis"));

    QByteArray wide = "<a>" + QByteArray("<b/>").repeated(100001) + "</a>";
    QCOMPARE(refusalOf(wide, &text), Refusal::TooLarge);

    QByteArray large = dataBytes("nfe_supplier_interstate.xml");
    large.insert(large.indexOf("<natOp>"), QByteArray(5 * 1024 * 1024, ' '));
    QCOMPARE(refusalOf(large, &text), Refusal::TooLarge);
    QVERIFY(text.contains(u"4194304"));
}

void TestDocumentReader::files() {
    QTemporaryDir dir;
    const QString big = dir.filePath("grande.xml");
    QFile file(big);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(64 * 1024 * 1024)); // sparse
    file.close();
    try {
        readDocumentFile(big);
        QFAIL("a 64 MiB file was read");
    } catch (const DocumentError& error) {
        QCOMPARE(error.code(), Refusal::TooLarge);
    }
    try {
        readDocumentFile(dir.filePath("nao-existe.xml"));
        QFAIL("a missing file was read");
    } catch (const DocumentError& error) {
        QCOMPARE(error.code(), Refusal::Unreadable);
    }
    const QByteArray bytes = dataBytes("event_cancellation.xml");
    QCOMPARE(summary(readDocument(bytes)),
             summary(readDocumentFile(dataPath("event_cancellation.xml"))));
}

void TestDocumentReader::severalThreads() {
    QList<QByteArray> inputs;
    QStringList expected;
    for (const QString& name : goodFiles) {
        inputs << dataBytes(name);
        expected << summary(readDocument(inputs.last()));
    }
    QList<QStringList> results(2);
    auto work = [&](int thread) {
        for (int round = 0; round < 50; ++round)
            for (const QByteArray& bytes : inputs)
                results[thread] << summary(readDocument(bytes));
    };
    std::thread other(work, 1);
    work(0);
    other.join();
    for (const QStringList& result : results)
        for (qsizetype i = 0; i < result.size(); ++i)
            QCOMPARE(result[i], expected[i % expected.size()]);
}

QTEST_GUILESS_MAIN(TestDocumentReader)
#include "tst_documentreader.moc"
