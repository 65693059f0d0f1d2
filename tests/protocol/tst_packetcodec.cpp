#include "DataPacket.h"
#include "PacketCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <cmath>
#include <cstring>
#include <limits>

using namespace ciap;

namespace {

// Both ways of reading a packet must agree, whatever wrote it.
enum class Path { FastText, ViaDocument };

QByteArray encodeVia(const DataPacket& packet, Path path) {
    if (path == Path::FastText)
        return encodePacket(packet);
    return QJsonDocument(packetToJson(packet).toObject()).toJson(QJsonDocument::Compact);
}

DataPacket decodeVia(const QByteArray& json, Path path) {
    if (path == Path::FastText)
        return decodePacket(json);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw ProtocolError(error.errorString());
    return packetFromJson(document.object());
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void compareValues(const QVariant& actual, const QVariant& expected) {
    QCOMPARE(actual.isValid(), expected.isValid());
    if (!expected.isValid())
        return;
    QCOMPARE(actual.typeId(), expected.typeId());
    if (expected.typeId() == QMetaType::Double)
        QVERIFY2(sameBits(actual.toDouble(), expected.toDouble()),
                 qPrintable(QStringLiteral("%1 != %2")
                                .arg(actual.toDouble(), 0, 'g', 17)
                                .arg(expected.toDouble(), 0, 'g', 17)));
    else
        QCOMPARE(actual, expected);
}

void comparePackets(const DataPacket& actual, const DataPacket& expected) {
    QCOMPARE(actual.fields, expected.fields);
    QCOMPARE(actual.rows.size(), expected.rows.size());
    for (qsizetype r = 0; r < expected.rows.size(); ++r) {
        QCOMPARE(actual.rows.at(r).size(), expected.rows.at(r).size());
        for (qsizetype c = 0; c < expected.rows.at(r).size(); ++c) {
            compareValues(actual.rows.at(r).at(c), expected.rows.at(r).at(c));
            if (QTest::currentTestFailed())
                return;
        }
    }
}

DataPacket oneColumn(FieldType type, const QVariantList& values) {
    DataPacket packet;
    packet.fields = {{QStringLiteral("V"), type, type == FieldType::String ? 50 : 0}};
    for (const QVariant& value : values)
        packet.rows.append(QVariantList{value});
    return packet;
}

} // namespace

Q_DECLARE_METATYPE(Path)

class TestPacketCodec final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void textIsCompactAndReadable();
    void membersInAnyOrderAndUnknownOnesIgnored();
    void identicalShortStringsShareStorage();
    void indexOfIgnoresCase();
    void encodeRejectsWhatCannotTravel_data();
    void encodeRejectsWhatCannotTravel();
    void encodeConvertsLooseValues();
    void deltaRoundTrip();
    void valueConversions();
};

void TestPacketCodec::roundTrip_data() {
    QTest::addColumn<DataPacket>("packet");
    QTest::addColumn<Path>("writer");
    QTest::addColumn<Path>("reader");

    const double denormalMin = std::numeric_limits<double>::denorm_min();
    QList<std::pair<const char*, DataPacket>> packets = {
        {"empty, no fields", DataPacket{}},
        {"fields, no rows", DataPacket{{{QStringLiteral("CDEMPRESA"), FieldType::String, 2},
                                        {QStringLiteral("DTCOMPETECIAP"), FieldType::DateTime, 0}},
                                       {}}},
        {"doubles",
         oneColumn(FieldType::Float,
                   {0.1, 1.0 / 3, 0.0, 1e-300, denormalMin, std::numeric_limits<double>::max(),
                    -std::numeric_limits<double>::max(), std::numeric_limits<double>::min(),
                    123456789.123456789, 1e21, 1e22, 9007199254740993.0, 42.0, -7.5, QVariant()})},
        {"strings",
         oneColumn(
             FieldType::String,
             {QStringLiteral("AB  "), QString(), QStringLiteral("\"quoted\" and \\back\\slash/"),
              QStringLiteral("Ação Crédito Imobilizado ÇÃO"), QStringLiteral("line\nbreak\ttab\r"),
              QString::fromUtf16(u"\x0001\x001f\x007f"), QStringLiteral("😀 𝄞 日本"),
              QString(QChar(0xD800)) + QStringLiteral("lone") + QChar(0xDC00),
              QStringLiteral("\u2028\u2029"), QVariant()})},
        {"dates",
         oneColumn(FieldType::DateTime, {QDate(2024, 2, 29), QDate(1, 1, 1), QDate(9999, 12, 31),
                                         QDate(2000, 1, 1), QVariant()})},
        {"nine columns, mixed nulls",
         DataPacket{
             {{QStringLiteral("CDEMPRESA"), FieldType::String, 2},
              {QStringLiteral("CDBEMATIVO"), FieldType::String, 10},
              {QStringLiteral("DTCOMPETECIAP"), FieldType::DateTime, 0},
              {QStringLiteral("VRCOEFICIAP"), FieldType::Float, 0}},
             {{QStringLiteral("01"), QStringLiteral("0000000001"), QDate(2023, 5, 1), 0.25},
              {QVariant(), QVariant(), QVariant(), QVariant()},
              {QStringLiteral("01"), QStringLiteral("0000000002"), QDate(2023, 6, 1), 1234.56}}}},
        {"unicode field names",
         DataPacket{{{QStringLiteral("SITUAÇÃO"), FieldType::Float, 8}}, {{1.0}}}},
    };
    const std::pair<const char*, Path> paths[] = {{"fast", Path::FastText},
                                                  {"doc", Path::ViaDocument}};
    // QJsonValue keeps whole numbers as integers and so drops the sign of zero; the text path
    // keeps it.
    QTest::newRow("negative zero: fast->fast")
        << oneColumn(FieldType::Float, {-0.0, 0.0}) << Path::FastText << Path::FastText;
    for (const auto& [name, packet] : packets) {
        for (const auto& [writerName, writer] : paths) {
            for (const auto& [readerName, reader] : paths)
                QTest::addRow("%s: %s->%s", name, writerName, readerName)
                    << packet << writer << reader;
        }
    }
}

void TestPacketCodec::roundTrip() {
    QFETCH(DataPacket, packet);
    QFETCH(Path, writer);
    QFETCH(Path, reader);
    const QByteArray json = encodeVia(packet, writer);
    QVERIFY(!json.contains('\n'));
    comparePackets(decodeVia(json, reader), packet);
}

void TestPacketCodec::textIsCompactAndReadable() {
    const DataPacket packet{
        {{QStringLiteral("CDEMPRESA"), FieldType::String, 2},
         {QStringLiteral("DTCOMPETECIAP"), FieldType::DateTime, 0},
         {QStringLiteral("VRCOEFICIAP"), FieldType::Float, 0}},
        {{QStringLiteral("01"), QDate(2024, 3, 1), 0.1}, {QVariant(), QVariant(), 2.0}}};
    QCOMPARE(
        encodePacket(packet),
        QByteArray(
            R"({"fields":[{"name":"CDEMPRESA","type":"string","size":2},)"
            R"({"name":"DTCOMPETECIAP","type":"datetime"},{"name":"VRCOEFICIAP","type":"float"}],)"
            R"("rows":[["01","2024-03-01",0.1],[null,null,2]]})"));
}

void TestPacketCodec::membersInAnyOrderAndUnknownOnesIgnored() {
    const QByteArray json =
        R"( { "version" : {"a":[1,2,{"b":null}]}, "rows" : [ [ "x" , 1.5e2 ] ] ,)"
        R"( "fields" : [ {"type":"string","extra":true,"name":"A","size":1},)"
        R"( {"name":"B","type":"float"} ] } )";
    const DataPacket expected{
        {{QStringLiteral("A"), FieldType::String, 1}, {QStringLiteral("B"), FieldType::Float, 0}},
        {{QStringLiteral("x"), 150.0}}};
    comparePackets(decodePacket(json), expected);
    comparePackets(decodeVia(json, Path::ViaDocument), expected);
}

void TestPacketCodec::identicalShortStringsShareStorage() {
    DataPacket packet = oneColumn(FieldType::String, {});
    for (int i = 0; i < 200; ++i)
        packet.rows.append(QVariantList{i % 2 ? QStringLiteral("01") : QStringLiteral("02")});
    const DataPacket decoded = decodePacket(encodePacket(packet));
    auto storage = [&](int row) {
        return static_cast<const QString*>(decoded.rows.at(row).at(0).constData())->constData();
    };
    QCOMPARE(storage(1), storage(199));
    QCOMPARE(storage(0), storage(198));
    QVERIFY(storage(0) != storage(1));
    QCOMPARE(decoded.rows.at(1).at(0).toString(), QStringLiteral("01"));
}

void TestPacketCodec::indexOfIgnoresCase() {
    const DataPacket packet{{{QStringLiteral("CDEMPRESA"), FieldType::String, 2},
                             {QStringLiteral("VRCOEFICIAP"), FieldType::Float, 0}},
                            {}};
    QCOMPARE(packet.indexOf(QStringLiteral("vrCoefICIAP")), 1);
    QCOMPARE(packet.indexOf(QStringLiteral("CDEMPRESA")), 0);
    QCOMPARE(packet.indexOf(QStringLiteral("CDEMPRES")), -1);
}

void TestPacketCodec::encodeRejectsWhatCannotTravel_data() {
    QTest::addColumn<DataPacket>("packet");
    QTest::addColumn<QString>("message");
    QTest::newRow("NaN") << oneColumn(FieldType::Float, {std::nan("")}) << "cannot travel";
    QTest::newRow("infinity") << oneColumn(FieldType::Float,
                                           {std::numeric_limits<double>::infinity()})
                              << "cannot travel";
    QTest::newRow("text in float")
        << oneColumn(FieldType::Float, {QStringLiteral("abc")}) << "not a number";
    QTest::newRow("text in date") << oneColumn(FieldType::DateTime, {QStringLiteral("31/12/2024")})
                                  << "not a date";
    QTest::newRow("year 10000") << oneColumn(FieldType::DateTime, {QDate(10000, 1, 1)})
                                << "YYYY-MM-DD";
    QTest::newRow("short row") << DataPacket{{{QStringLiteral("A"), FieldType::Float, 0},
                                              {QStringLiteral("B"), FieldType::Float, 0}},
                                             {{1.0}}}
                               << "row 1 has 1 values, expected 2";
    QTest::newRow("unnamed field")
        << DataPacket{{{QString(), FieldType::Float, 0}}, {}} << "no name";
}

void TestPacketCodec::encodeRejectsWhatCannotTravel() {
    QFETCH(DataPacket, packet);
    QFETCH(QString, message);
    for (Path path : {Path::FastText, Path::ViaDocument}) {
        try {
            encodeVia(packet, path);
            QFAIL("no error");
        } catch (const ProtocolError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }
}

void TestPacketCodec::encodeConvertsLooseValues() {
    // Values that reach the codec in a convertible type still travel in the field's type.
    const DataPacket packet{{{QStringLiteral("F"), FieldType::Float, 0},
                             {QStringLiteral("D"), FieldType::DateTime, 0},
                             {QStringLiteral("S"), FieldType::String, 5}},
                            {{3, QDateTime(QDate(2024, 1, 31), QTime(13, 5)), 12},
                             {QStringLiteral("2.5"), QStringLiteral("2024-02-01"), 1.5},
                             {QVariant(), QDate(), QVariant()}}};
    const DataPacket expected{packet.fields,
                              {{3.0, QDate(2024, 1, 31), QStringLiteral("12")},
                               {2.5, QDate(2024, 2, 1), QStringLiteral("1.5")},
                               {QVariant(), QVariant(), QVariant()}}};
    comparePackets(decodePacket(encodePacket(packet)), expected);
    comparePackets(packetFromJson(packetToJson(packet)), expected);
}

void TestPacketCodec::deltaRoundTrip() {
    Delta delta;
    delta.fields = {{QStringLiteral("NRSEQCIAP"), FieldType::String, 10},
                    {QStringLiteral("DTCOMPETECIAP"), FieldType::DateTime, 0},
                    {QStringLiteral("VRSAIDACIAP"), FieldType::Float, 0}};
    delta.changes = {
        {ChangeStatus::Inserted, {}, {QStringLiteral("1"), QDate(2024, 1, 1), 0.1}},
        {ChangeStatus::Modified,
         {QStringLiteral("2"), QDate(2024, 2, 1), QVariant()},
         {QStringLiteral("2 \"ç\""), QDate(2024, 2, 1), 1e-310}},
        {ChangeStatus::Deleted, {QVariant(), QVariant(), -12.5}, {}},
    };
    const QJsonValue json = deltaToJson(delta);
    // Through text, as it travels inside a request.
    const QByteArray text = QJsonDocument(json.toObject()).toJson(QJsonDocument::Compact);
    const Delta back = deltaFromJson(QJsonDocument::fromJson(text).object());
    QCOMPARE(back.fields, delta.fields);
    QCOMPARE(back.changes.size(), delta.changes.size());
    for (qsizetype i = 0; i < delta.changes.size(); ++i) {
        QCOMPARE(back.changes.at(i).status, delta.changes.at(i).status);
        comparePackets(DataPacket{delta.fields, {back.changes.at(i).oldValues}},
                       DataPacket{delta.fields, {delta.changes.at(i).oldValues}});
        comparePackets(DataPacket{delta.fields, {back.changes.at(i).newValues}},
                       DataPacket{delta.fields, {delta.changes.at(i).newValues}});
    }
    const QJsonObject inserted = json[QLatin1StringView("changes")][0].toObject();
    QCOMPARE(inserted.value(QLatin1StringView("status")).toString(), QStringLiteral("inserted"));
    QVERIFY(inserted.value(QLatin1StringView("old")).isNull());
}

void TestPacketCodec::valueConversions() {
    QCOMPARE(valueToJson(QDate(2024, 12, 1), FieldType::DateTime),
             QJsonValue(QStringLiteral("2024-12-01")));
    QCOMPARE(valueToJson(QVariant(), FieldType::String), QJsonValue(QJsonValue::Null));
    QCOMPARE(valueFromJson(QJsonValue(QStringLiteral("2024-12-01")), FieldType::DateTime).toDate(),
             QDate(2024, 12, 1));
    QVERIFY(!valueFromJson(QJsonValue(QJsonValue::Null), FieldType::Float).isValid());
    QVERIFY_THROWS_EXCEPTION(ProtocolError, valueFromJson(QJsonValue(true), FieldType::Float));
    QVERIFY_THROWS_EXCEPTION(
        ProtocolError, valueFromJson(QJsonValue(QStringLiteral("2024-1-01")), FieldType::DateTime));
    QVERIFY(isPacketJson(packetToJson(DataPacket{})));
    QVERIFY(!isPacketJson(QJsonArray{QStringLiteral("50")}));
    QVERIFY(!isPacketJson(QJsonObject{{QStringLiteral("fields"), QJsonArray()}}));
}

QTEST_APPLESS_MAIN(TestPacketCodec)
#include "tst_packetcodec.moc"
