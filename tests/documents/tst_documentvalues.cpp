// The values the reader is built on: check digits of keys and registrations, exact decimals and
// money, dates as written, and the split of an amount into equal shares.
#include "AccessKey.h"
#include "Decimal.h"
#include "DocumentDateTime.h"

#include <QTest>
#include <numeric>

using namespace ciap::documents;

class TestDocumentValues final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void registrations_data();
    void registrations();
    void accessKeys_data();
    void accessKeys();
    void decimals_data();
    void decimals();
    void money_data();
    void money();
    void dateTimes_data();
    void dateTimes();
    void splitEvenly_data();
    void splitEvenly();
};

void TestDocumentValues::registrations_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("valid");

    QTest::newRow("CNPJ") << "CNPJ"
                          << "11222333000181" << true;
    QTest::newRow("CNPJ second digit wrong") << "CNPJ"
                                             << "11222333000182" << false;
    QTest::newRow("CNPJ first digit wrong") << "CNPJ"
                                            << "11222333000191" << false;
    QTest::newRow("CNPJ first digit 0 (remainder below 2)") << "CNPJ"
                                                            << "10000001000602" << true;
    QTest::newRow("CNPJ alphanumeric, published example") << "CNPJ"
                                                          << "12ABC34501DE35" << true;
    QTest::newRow("CNPJ alphanumeric, letter changed") << "CNPJ"
                                                       << "12ABD34501DE35" << false;
    QTest::newRow("CNPJ lowercase letters") << "CNPJ"
                                            << "12abc34501de35" << false;
    QTest::newRow("CNPJ letter in check digits") << "CNPJ"
                                                 << "12ABC34501DE3A" << false;
    QTest::newRow("CNPJ punctuated") << "CNPJ"
                                     << "11.222.333/0001-81" << false;
    QTest::newRow("CNPJ short") << "CNPJ"
                                << "1122233300018" << false;
    QTest::newRow("CNPJ all zeros") << "CNPJ"
                                    << "00000000000000" << false;
    QTest::newRow("CPF") << "CPF"
                         << "12345678909" << true;
    QTest::newRow("CPF first digit 0") << "CPF"
                                       << "11144477735" << true;
    QTest::newRow("CPF wrong digit") << "CPF"
                                     << "12345678908" << false;
    QTest::newRow("CPF repeated") << "CPF"
                                  << "11111111111" << false;
    QTest::newRow("CPF with letter") << "CPF"
                                     << "1234567890A" << false;
}

void TestDocumentValues::registrations() {
    QFETCH(QString, kind);
    QFETCH(QString, value);
    QFETCH(bool, valid);
    QCOMPARE(kind == u"CNPJ" ? isValidCnpj(value) : isValidCpf(value), valid);
}

void TestDocumentValues::accessKeys_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");

    // Keys published with their check digit (an NFC-e and an NF-e).
    QTest::newRow("published NFC-e key") << "13181017921427000125650010000000309887251170" << true;
    QTest::newRow("published NF-e key") << "33150308370779000149550010001100931002410775" << true;
    QTest::newRow("wrong check digit") << "33150308370779000149550010001100931002410776" << false;
    QTest::newRow("two digits swapped") << "33150308370779000149550010001010931002410775" << false;
    QTest::newRow("43 positions") << "3315030837077900014955001000110093100241077" << false;
    QTest::newRow("45 positions") << "331503083707790001495500100011009310024107750" << false;
    // Letters count as their code minus 48 in the check digit too.
    QTest::newRow("alphanumeric CNPJ") << "35260112ABC34501DE35550010000000011000000012" << true;
    QTest::newRow("alphanumeric, wrong digit")
        << "35260112ABC34501DE35550010000000011000000013" << false;
    QTest::newRow("lowercase CNPJ") << "35260112abc34501de35550010000000011000000012" << false;
    QTest::newRow("letter outside the CNPJ")
        << "35260112ABC34501DE3555001000000001100000001A" << false;
}

void TestDocumentValues::accessKeys() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const std::optional<AccessKey> key = AccessKey::fromString(text);
    QCOMPARE(key.has_value(), valid);
    if (key && text.startsWith(u"3315")) {
        QCOMPARE(key->uf(), 33);
        QCOMPARE(key->year(), 2015);
        QCOMPARE(key->month(), 3);
        QCOMPARE(key->issuerId(), QStringLiteral("08370779000149"));
        QCOMPARE(key->model(), 55);
        QCOMPARE(key->series(), 1);
        QCOMPARE(key->documentNumber(), 110093);
        QCOMPARE(key->emissionType(), 1);
        QCOMPARE(key->code(), QStringLiteral("00241077"));
        QCOMPARE(key->checkDigit(), 5);
    }
}

void TestDocumentValues::decimals_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxDecimals");
    QTest::addColumn<QString>("written"); // empty: refused

    QTest::newRow("quantity") << "3.0000" << 4 << "3.0000";
    QTest::newRow("no point") << "12" << 4 << "12";
    QTest::newRow("leading zeros dropped") << "007.50" << 4 << "7.50";
    QTest::newRow("unit value, 10 decimals") << "0.0000000001" << 10 << "0.0000000001";
    QTest::newRow("11 + 10 digits keep the value")
        << "99999999999.9000000000" << 10 << "99999999999.9000000";
    QTest::newRow("too many significant digits") << "99999999999.9999999999" << 10 << "";
    QTest::newRow("one decimal too many") << "1.00000" << 4 << "";
    QTest::newRow("comma") << "1,5" << 4 << "";
    QTest::newRow("sign") << "-1.5" << 4 << "";
    QTest::newRow("plus") << "+1.5" << 4 << "";
    QTest::newRow("exponent") << "1e3" << 4 << "";
    QTest::newRow("bare point") << "1." << 4 << "";
    QTest::newRow("no integer part") << ".5" << 4 << "";
    QTest::newRow("blank inside") << "1 000" << 4 << "";
    QTest::newRow("empty") << "" << 4 << "";
}

void TestDocumentValues::decimals() {
    QFETCH(QString, text);
    QFETCH(int, maxDecimals);
    QFETCH(QString, written);
    const std::optional<Decimal> value = Decimal::fromString(text, maxDecimals, 11);
    QCOMPARE(value ? value->toString() : QString(), written);

    QCOMPARE(*Decimal::fromString(u"1.5", 4), *Decimal::fromString(u"1.5000", 4));
    QVERIFY(*Decimal::fromString(u"2.01", 4) > *Decimal::fromString(u"2.0099", 4));
    QVERIFY(*Decimal::fromString(u"10", 4) > *Decimal::fromString(u"9.9999", 4));
    QCOMPARE(Decimal::fromString(u"3.0000", 4)->toInteger(), std::optional<qint64>(3));
    QCOMPARE(Decimal::fromString(u"2.5000", 4)->toInteger(), std::nullopt);
}

void TestDocumentValues::money_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("cents"); // -1: refused

    QTest::newRow("two decimals") << "1234.56" << qint64(123456);
    QTest::newRow("one decimal") << "10.5" << qint64(1050);
    QTest::newRow("whole") << "0" << qint64(0);
    QTest::newRow("13 digits") << "9999999999999.99" << qint64(999999999999999);
    QTest::newRow("14 digits") << "10000000000000.00" << qint64(-1);
    QTest::newRow("three decimals") << "54000.000" << qint64(-1);
    QTest::newRow("Brazilian format") << "1.234,56" << qint64(-1);
    QTest::newRow("negative") << "-1.00" << qint64(-1);
}

void TestDocumentValues::money() {
    QFETCH(QString, text);
    QFETCH(qint64, cents);
    QCOMPARE(centsFromString(text).value_or(-1), cents);
    if (cents >= 0)
        QCOMPARE(*centsFromString(centsToString(cents)), cents);
}

void TestDocumentValues::dateTimes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("offsetRequired");
    QTest::addColumn<QString>("localDate"); // empty: refused

    // Late evening in Brazil is already the next day (and month) in UTC: the local date stays.
    QTest::newRow("last evening of the month")
        << "2024-03-31T22:45:00-03:00" << true << "2024-03-31";
    QTest::newRow("Fernando de Noronha") << "2024-01-01T00:30:00-02:00" << true << "2024-01-01";
    QTest::newRow("UTC") << "2024-01-01T00:30:00Z" << true << "2024-01-01";
    QTest::newRow("no offset where required") << "2024-03-15T10:30:00" << true << "";
    QTest::newRow("no offset allowed") << "2024-03-15T10:30:00" << false << "2024-03-15";
    QTest::newRow("date only") << "2024-03-15" << false << "";
    QTest::newRow("30 February") << "2024-02-30T10:00:00-03:00" << true << "";
    QTest::newRow("hour 24") << "2024-02-10T24:00:00-03:00" << true << "";
    QTest::newRow("offset without colon") << "2024-02-10T10:00:00-0300" << true << "";
    QTest::newRow("offset 15 hours") << "2024-02-10T10:00:00+15:00" << true << "";
    QTest::newRow("fraction of second") << "2024-02-10T10:00:00.5-03:00" << true << "";
}

void TestDocumentValues::dateTimes() {
    QFETCH(QString, text);
    QFETCH(bool, offsetRequired);
    QFETCH(QString, localDate);
    const std::optional<DocumentDateTime> value =
        DocumentDateTime::fromString(text, offsetRequired);
    QCOMPARE(value ? value->localDate().toString(Qt::ISODate) : QString(), localDate);
    if (value && text.endsWith(u"-03:00"))
        QCOMPARE(value->toString(), text);
}

void TestDocumentValues::splitEvenly_data() {
    QTest::addColumn<qint64>("amount");
    QTest::addColumn<int>("parts");
    QTest::addColumn<QList<qint64>>("shares");

    QTest::newRow("100.00 in 3") << qint64(10000) << 3 << QList<qint64>{3333, 3333, 3334};
    QTest::newRow("54000.00 in 3")
        << qint64(5400000) << 3 << QList<qint64>{1800000, 1800000, 1800000};
    QTest::newRow("0.05 in 7") << qint64(5) << 7 << QList<qint64>{0, 0, 0, 0, 0, 0, 5};
    QTest::newRow("one part") << qint64(12345) << 1 << QList<qint64>{12345};
    QTest::newRow("zero") << qint64(0) << 2 << QList<qint64>{0, 0};
}

void TestDocumentValues::splitEvenly() {
    QFETCH(qint64, amount);
    QFETCH(int, parts);
    QFETCH(QList<qint64>, shares);
    const QList<Cents> result = ciap::documents::splitEvenly(amount, parts);
    QCOMPARE(result, shares);
    QCOMPARE(std::accumulate(result.begin(), result.end(), Cents(0)), amount);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ciap::documents::splitEvenly(amount, 0));
}

QTEST_GUILESS_MAIN(TestDocumentValues)
#include "tst_documentvalues.moc"
