#include "PacketCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace ciap;

namespace {

const QByteArray oneString = R"("fields":[{"name":"A","type":"string","size":2}])";
const QByteArray oneFloat = R"("fields":[{"name":"A","type":"float"}])";
const QByteArray oneDate = R"("fields":[{"name":"A","type":"datetime"}])";

QByteArray packet(const QByteArray& fields, const QByteArray& rows) {
    return "{" + fields + ",\"rows\":" + rows + "}";
}

QByteArray fieldList(const QByteArray& field) {
    return "\"fields\":[" + field + "]";
}

// The message of the ProtocolError that fn throws; empty when it throws nothing.
template <typename Fn> QString errorOf(Fn fn) {
    try {
        fn();
    } catch (const ProtocolError& error) {
        return error.message().isEmpty() ? QStringLiteral("(empty message)") : error.message();
    }
    return {};
}

} // namespace

class TestPacketMalformed final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void packetErrors_data();
    void packetErrors();
    void truncatedAnywhere();
    void deltaErrors_data();
    void deltaErrors();
};

void TestPacketMalformed::packetErrors_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message"); // part of the fast decoder's message

    QTest::newRow("empty") << QByteArray() << "empty";
    QTest::newRow("blank") << QByteArray(" \n ") << "empty";
    QTest::newRow("not JSON") << QByteArray("hello") << "must be a JSON object";
    QTest::newRow("array") << QByteArray("[1,2]") << "must be a JSON object";
    QTest::newRow("no fields") << QByteArray(R"({"rows":[]})") << "no \"fields\"";
    QTest::newRow("no rows") << QByteArray("{" + oneString + "}") << "no \"rows\"";
    QTest::newRow("fields twice") << QByteArray("{" + oneString + "," + oneString + ",\"rows\":[]}")
                                  << "invalid packet at offset 50: the packet has two \"fields\"";
    QTest::newRow("fields not array")
        << packet(R"("fields":{})", "[]") << "\"fields\" must be an array";
    QTest::newRow("field not object")
        << packet(fieldList("1"), "[]") << "field 1 must be an object";
    QTest::newRow("field without name")
        << packet(fieldList(R"({"type":"float"})"), "[]") << "no \"name\"";
    QTest::newRow("field name empty")
        << packet(fieldList(R"({"name":"","type":"float"})"), "[]") << "name of field 1 is empty";
    QTest::newRow("field name number")
        << packet(fieldList(R"({"name":5,"type":"float"})"), "[]") << "must be a string";
    QTest::newRow("field without type")
        << packet(fieldList(R"({"name":"A"})"), "[]") << "no \"type\"";
    QTest::newRow("unknown type") << packet(fieldList(R"({"name":"A","type":"integer"})"), "[]")
                                  << "unknown type \"integer\"";
    QTest::newRow("type case") << packet(fieldList(R"({"name":"A","type":"Float"})"), "[]")
                               << "unknown type";
    QTest::newRow("size text") << packet(fieldList(R"({"name":"A","type":"string","size":"2"})"),
                                         "[]")
                               << "size of field 1 must be a number";
    QTest::newRow("size negative")
        << packet(fieldList(R"({"name":"A","type":"string","size":-1})"), "[]") << "whole number";
    QTest::newRow("size fraction")
        << packet(fieldList(R"({"name":"A","type":"string","size":1.5})"), "[]") << "whole number";
    QTest::newRow("size huge") << packet(fieldList(R"({"name":"A","type":"string","size":1e12})"),
                                         "[]")
                               << "whole number";
    QTest::newRow("duplicate field")
        << packet(fieldList(R"({"name":"A","type":"float"},{"name":"a","type":"float"})"), "[]")
        << "appears twice";
    QTest::newRow("rows not array") << packet(oneString, "{}") << "\"rows\" must be an array";
    QTest::newRow("row null") << packet(oneString, "[null]") << "row 1 must be an array";
    QTest::newRow("row object") << packet(oneString, R"([["ab"],{}])") << "row 2 must be an array";
    QTest::newRow("row short") << packet(oneString, "[[]]") << "row 1 has 0 values, expected 1";
    QTest::newRow("row long") << packet(oneString, R"([["a","b"]])") << "row 1 has more values";
    QTest::newRow("number in string")
        << packet(oneString, "[[12]]") << "row 1, field A: expected a string";
    QTest::newRow("bool in string") << packet(oneString, "[[true]]") << "expected a string";
    QTest::newRow("text in float")
        << packet(oneFloat, R"([["1.5"]])") << "field A: expected a number";
    QTest::newRow("array in float") << packet(oneFloat, "[[[1]]]") << "expected a number";
    QTest::newRow("number in date") << packet(oneDate, "[[20240101]]") << "expected a date";
    QTest::newRow("day month year") << packet(oneDate, R"([["31/12/2024"]])") << "not a date";
    QTest::newRow("30 February") << packet(oneDate, R"([["2024-02-30"]])") << "not a date";
    QTest::newRow("date and time")
        << packet(oneDate, R"([["2024-02-01T00:00:00"]])") << "not a date";
    QTest::newRow("empty date") << packet(oneDate, R"([[""]])") << "not a date";
    QTest::newRow("number too large") << packet(oneFloat, "[[1e400]]") << "out of range";
    QTest::newRow("number too small") << packet(oneFloat, "[[-2e-400]]") << "out of range";
    QTest::newRow("leading zero") << packet(oneFloat, "[[01]]") << "invalid JSON";
    QTest::newRow("bare minus") << packet(oneFloat, "[[-]]") << "expected a number";
    QTest::newRow("dot without digits") << packet(oneFloat, "[[1.]]") << "decimal point";
    QTest::newRow("NaN literal") << packet(oneFloat, "[[NaN]]") << "expected a number";
    QTest::newRow("trailing comma") << packet(oneFloat, "[[1],]") << "missing";
    QTest::newRow("missing comma") << packet(oneFloat, "[[1][2]]") << "expected ','";
    QTest::newRow("garbage after") << QByteArray(packet(oneFloat, "[]") + " x") << "after the end";
    QTest::newRow("two objects") << QByteArray(packet(oneFloat, "[]") + packet(oneFloat, "[]"))
                                 << "after the end";
    QTest::newRow("unclosed string") << packet(oneString, R"([["ab]])") << "not closed";
    QTest::newRow("bad escape") << packet(oneString, R"([["a\x"]])") << "unknown escape";
    QTest::newRow("short unicode escape")
        << packet(oneString, R"([["\u12"]])") << "four hexadecimal";
    QTest::newRow("control character") << packet(oneString, "[[\"a\tb\"]]") << "control character";
    QTest::newRow("invalid UTF-8") << packet(oneString, "[[\"a\xC3\x28\"]]") << "UTF-8";
    QTest::newRow("overlong UTF-8") << packet(oneString, "[[\"\xC0\xAF\"]]") << "UTF-8";
    QTest::newRow("UTF-8 surrogate") << packet(oneString, "[[\"\xED\xA0\x80\"]]") << "UTF-8";
    QTest::newRow("NUL byte") << packet(oneString, QByteArray("[[\"a\0b\"]]", 9))
                              << "control character";
    QTest::newRow("bad literal") << packet(oneString, "[[nul]]") << "expected null";
    QTest::newRow("deep unknown member")
        << QByteArray("{\"x\":" + QByteArray(5000, '[') + QByteArray(5000, ']') + "}") << "nesting";
}

void TestPacketMalformed::packetErrors() {
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    const QString fast = errorOf([&] { decodePacket(json); });
    QVERIFY2(fast.contains(message), qPrintable(QStringLiteral("got: ") + fast));

    // A packet that is well-formed JSON but of the wrong shape: the document path must refuse
    // it too. (Qt's own JSON parser is more lenient about syntax than the fast decoder.)
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error == QJsonParseError::NoError &&
        !fast.contains(QLatin1StringView("invalid JSON")) &&
        !fast.contains(QLatin1StringView("twice")) &&
        !fast.contains(QLatin1StringView("has two"))) {
        const QString viaDocument = errorOf([&] { packetFromJson(document.object()); });
        QVERIFY2(!viaDocument.isEmpty() || !document.isObject(), "accepted by packetFromJson");
    }
}

void TestPacketMalformed::truncatedAnywhere() {
    const QByteArray whole =
        packet(R"("fields":[{"name":"A","type":"string","size":2},{"name":"D","type":"datetime"},)"
               R"({"name":"F","type":"float"}])",
               R"([["a\"\u00e7","2024-01-31",-1.5e-3],[null,null,null]])");
    QVERIFY(errorOf([&] { decodePacket(whole); }).isEmpty());
    for (qsizetype length = 0; length < whole.size(); ++length) {
        const QString message = errorOf([&] { decodePacket(whole.left(length)); });
        QVERIFY2(!message.isEmpty(), qPrintable(QStringLiteral("accepted %1 bytes").arg(length)));
    }
}

void TestPacketMalformed::deltaErrors_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");
    const QByteArray fields = R"("fields":[{"name":"A","type":"string","size":2}])";
    auto delta = [&](const QByteArray& changes) {
        return "{" + fields + ",\"changes\":" + changes + "}";
    };

    QTest::newRow("not an object") << QByteArray("[]") << "must be a JSON object";
    QTest::newRow("no fields") << QByteArray(R"({"changes":[]})") << "no \"fields\"";
    QTest::newRow("no changes") << QByteArray("{" + fields + "}") << "\"changes\" array";
    QTest::newRow("change not object") << delta("[1]") << "change 1 must be an object";
    QTest::newRow("unknown status")
        << delta(R"([{"status":"updated","old":["a"],"new":["b"]}])") << "\"status\" must be";
    QTest::newRow("no status") << delta(R"([{"new":["a"]}])") << "\"status\" must be";
    QTest::newRow("inserted with old")
        << delta(R"([{"status":"inserted","old":["a"],"new":["b"]}])")
        << "inserted row has no \"old\"";
    QTest::newRow("deleted with new") << delta(R"([{"status":"deleted","old":["a"],"new":["b"]}])")
                                      << "deleted row has no \"new\"";
    QTest::newRow("modified without old")
        << delta(R"([{"status":"modified","old":null,"new":["b"]}])")
        << "change 1 \"old\" must be an array";
    QTest::newRow("inserted without new")
        << delta(R"([{"status":"inserted"}])") << "\"new\" must be an array";
    QTest::newRow("row length") << delta(R"([{"status":"inserted","new":["a","b"]}])")
                                << "has 2 values, expected 1";
    QTest::newRow("wrong value type")
        << delta(R"([{"status":"deleted","old":[1]}])") << "field A: expected a string";
    QTest::newRow("bad field") << QByteArray(
                                      R"({"fields":[{"name":"A","type":"blob"}],"changes":[]})")
                               << "unknown type \"blob\"";
}

void TestPacketMalformed::deltaErrors() {
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    const QJsonDocument document = QJsonDocument::fromJson(json);
    QVERIFY(!document.isNull());
    const QJsonValue value =
        document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    const QString error = errorOf([&] { deltaFromJson(value); });
    QVERIFY2(error.contains(message), qPrintable(QStringLiteral("got: ") + error));
}

QTEST_APPLESS_MAIN(TestPacketMalformed)
#include "tst_packetmalformed.moc"
