#include "JsonRpc.h"
#include "PacketCodec.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace ciap;

namespace {

using ReplyParser = RpcReply (*)(const QByteArray&);

// How the host reads answers: packets straight into a sink.
RpcReply parseIntoPacket(const QByteArray& frame) {
    DataPacketBuilder builder;
    return parseReplyPacket(frame, builder);
}

DataPacket samplePacket() {
    return DataPacket{
        {{QStringLiteral("CDBEMATIVO"), FieldType::String, 10},
         {QStringLiteral("VRPARCELACIAP"), FieldType::Float, 0},
         {QStringLiteral("SITUACAO"), FieldType::Float, 0}},
        {{QStringLiteral("0000000042"), 0.1, 2.0}, {QStringLiteral("ç\n\"}"), QVariant(), 1.0}}};
}

} // namespace

Q_DECLARE_METATYPE(ReplyParser)

class TestJsonRpc final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void requestRoundTrip_data();
    void requestRoundTrip();
    void requestErrors_data();
    void requestErrors();
    void replies_data();
    void replies();
    void replyErrors_data();
    void replyErrors();
    void objectResultIsReadAsAPacket();
    void misshapenPacketIsNoBrokenAnswer();
    void errorFrameIsOneLine();
    void failureText();
};

void TestJsonRpc::requestRoundTrip_data() {
    QTest::addColumn<QJsonValue>("id");
    QTest::addColumn<QString>("token");
    QTest::newRow("number id") << QJsonValue(7) << QString();
    QTest::newRow("large id") << QJsonValue(qint64(1) << 52) << QString();
    QTest::newRow("text id and token")
        << QJsonValue(QStringLiteral("a-1")) << QStringLiteral("s3cr\"et");
    QTest::newRow("null id") << QJsonValue(QJsonValue::Null) << QString();
    QTest::newRow("notification") << QJsonValue(QJsonValue::Undefined) << QString();
}

void TestJsonRpc::requestRoundTrip() {
    QFETCH(QJsonValue, id);
    QFETCH(QString, token);
    RpcRequest request;
    request.id = id;
    request.method = QStringLiteral("MZR02400.rdmCIAP.getCIAP");
    request.params = QJsonArray{
        QStringLiteral("01"), QStringLiteral("2024-01-01"),  1.5,
        QJsonValue::Null,     QStringLiteral("linha\nnova"), packetToJson(samplePacket())};
    request.token = token;
    const QByteArray frame = encodeRequest(request);
    QVERIFY(frame.endsWith('\n'));
    QCOMPARE(frame.count('\n'), 1);

    const RpcRequest back = parseRequest(frame.chopped(1));
    QCOMPARE(back.id, id);
    QCOMPARE(back.isNotification(), id.isUndefined());
    QCOMPARE(back.method, request.method);
    QCOMPARE(back.params, request.params);
    QCOMPARE(back.token, token);
}

void TestJsonRpc::requestErrors_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("code");
    QTest::addColumn<QJsonValue>("id"); // the id the error answer carries
    const QJsonValue none(QJsonValue::Null);

    QTest::newRow("not JSON") << QByteArray("{\"jsonrpc\":") << RpcCode::ParseError << none;
    QTest::newRow("empty") << QByteArray() << RpcCode::ParseError << none;
    QTest::newRow("array") << QByteArray("[1]") << RpcCode::InvalidRequest << none;
    QTest::newRow("no version") << QByteArray(R"({"id":3,"method":"m"})") << RpcCode::InvalidRequest
                                << QJsonValue(3);
    QTest::newRow("version 1.0") << QByteArray(R"({"jsonrpc":"1.0","id":"x","method":"m"})")
                                 << RpcCode::InvalidRequest << QJsonValue(QStringLiteral("x"));
    QTest::newRow("version number") << QByteArray(R"({"jsonrpc":2.0,"id":1,"method":"m"})")
                                    << RpcCode::InvalidRequest << QJsonValue(1);
    QTest::newRow("no method") << QByteArray(R"({"jsonrpc":"2.0","id":4})")
                               << RpcCode::InvalidRequest << QJsonValue(4);
    QTest::newRow("method number") << QByteArray(R"({"jsonrpc":"2.0","id":4,"method":12})")
                                   << RpcCode::InvalidRequest << QJsonValue(4);
    QTest::newRow("method empty") << QByteArray(R"({"jsonrpc":"2.0","id":4,"method":""})")
                                  << RpcCode::InvalidRequest << QJsonValue(4);
    QTest::newRow("id object") << QByteArray(R"({"jsonrpc":"2.0","id":{},"method":"m"})")
                               << RpcCode::InvalidRequest << none;
    QTest::newRow("id bool") << QByteArray(R"({"jsonrpc":"2.0","id":true,"method":"m"})")
                             << RpcCode::InvalidRequest << none;
    QTest::newRow("named params")
        << QByteArray(R"({"jsonrpc":"2.0","id":5,"method":"m","params":{"a":1}})")
        << RpcCode::InvalidParams << QJsonValue(5);
    QTest::newRow("params text") << QByteArray(
                                        R"({"jsonrpc":"2.0","id":5,"method":"m","params":"a"})")
                                 << RpcCode::InvalidRequest << QJsonValue(5);
    QTest::newRow("token number") << QByteArray(
                                         R"({"jsonrpc":"2.0","id":6,"method":"m","token":1})")
                                  << RpcCode::InvalidRequest << QJsonValue(6);
}

void TestJsonRpc::requestErrors() {
    QFETCH(QByteArray, frame);
    QFETCH(int, code);
    QFETCH(QJsonValue, id);
    try {
        parseRequest(frame);
        QFAIL("accepted");
    } catch (const RpcFailure& failure) {
        QCOMPARE(failure.code(), code);
        QCOMPARE(failure.id(), id);
        QVERIFY(!failure.message().isEmpty());
        // The server answers with exactly this; a client must be able to read it.
        const RpcReply reply =
            parseReply(encodeError(failure.id(), failure.code(), failure.message()));
        QVERIFY(reply.isError);
        QCOMPARE(reply.errorCode, code);
        QCOMPARE(reply.id, id);
    }
}

void TestJsonRpc::replies_data() {
    QTest::addColumn<ReplyParser>("parser");
    QTest::addColumn<QJsonValue>("result");
    const std::pair<const char*, ReplyParser> parsers[] = {{"full", &parseReply},
                                                           {"packet", &parseIntoPacket}};
    for (const auto& [name, parser] : parsers) {
        QTest::addRow("%s: array", name) << parser << QJsonValue(QJsonArray{QStringLiteral("50")});
        QTest::addRow("%s: null", name) << parser << QJsonValue(QJsonValue::Null);
        QTest::addRow("%s: text", name) << parser << QJsonValue(QStringLiteral("OK"));
        QTest::addRow("%s: number", name) << parser << QJsonValue(0.1);
        QTest::addRow("%s: false", name) << parser << QJsonValue(false);
        QTest::addRow("%s: nested array", name)
            << parser << QJsonValue(QJsonArray{1, QJsonArray{QStringLiteral("x")}, QJsonObject{}});
    }
}

void TestJsonRpc::replies() {
    QFETCH(ReplyParser, parser);
    QFETCH(QJsonValue, result);
    const QByteArray frame = encodeResult(QJsonValue(12), result);
    QCOMPARE(frame.count('\n'), 1);
    const RpcReply reply = parser(frame);
    QVERIFY(!reply.isError);
    QCOMPARE(reply.id, QJsonValue(12));
    QCOMPARE(reply.result, result);
    QVERIFY(!reply.packet.isValid());
    QVERIFY(reply.packetError.isEmpty());
}

void TestJsonRpc::replyErrors_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("message");
    QTest::newRow("not JSON") << QByteArray("{\"id\":1,") << "";
    QTest::newRow("not an object") << QByteArray("[]") << "must be a JSON object";
    QTest::newRow("no version") << QByteArray(R"({"id":1,"result":1})") << "\"jsonrpc\":\"2.0\"";
    QTest::newRow("no id") << QByteArray(R"({"jsonrpc":"2.0","result":1})") << "no \"id\"";
    QTest::newRow("id array") << QByteArray(R"({"jsonrpc":"2.0","id":[1],"result":1})")
                              << "\"id\" must be";
    QTest::newRow("neither") << QByteArray(R"({"jsonrpc":"2.0","id":1})") << "either";
    QTest::newRow("both")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"result":1,"error":{"code":1,"message":""}})")
        << "either";
    QTest::newRow("error text") << QByteArray(R"({"jsonrpc":"2.0","id":1,"error":"bad"})")
                                << "must be an object";
    QTest::newRow("code text")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"error":{"code":"1","message":"m"}})")
        << "whole number";
    QTest::newRow("code fraction")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"error":{"code":1.5,"message":"m"}})")
        << "whole number";
    QTest::newRow("no message") << QByteArray(R"({"jsonrpc":"2.0","id":1,"error":{"code":-32000}})")
                                << "\"message\" must be a string";
    QTest::newRow("unclosed result")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"result":{"rows":[[1})") << "JSON";
    QTest::newRow("trailing data") << QByteArray(R"({"jsonrpc":"2.0","id":1,"result":1} {})") << "";
}

void TestJsonRpc::replyErrors() {
    QFETCH(QByteArray, frame);
    QFETCH(QString, message);
    for (ReplyParser parser : {&parseReply, &parseIntoPacket}) {
        try {
            parser(frame);
            QFAIL("accepted");
        } catch (const ProtocolError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }
}

void TestJsonRpc::objectResultIsReadAsAPacket() {
    const DataPacket packet = samplePacket();
    const QByteArray frame = encodeRawResult(QJsonValue(3), encodePacket(packet));
    QCOMPARE(frame.count('\n'), 1);

    const RpcReply read = parseIntoPacket(frame);
    QVERIFY(!read.isError);
    QVERIFY(read.result.isUndefined());
    QVERIFY(read.packetError.isEmpty());
    const DataPacket fromPacket = read.packet.value<DataPacket>();

    const RpcReply full = parseReply(frame);
    QVERIFY(isPacketJson(full.result));
    const DataPacket fromFull = packetFromJson(full.result);
    QCOMPARE(fromPacket.fields, packet.fields);
    QCOMPARE(fromPacket.rows, packet.rows);
    QCOMPARE(fromFull.rows, packet.rows);

    // Pretty-printed text from elsewhere still makes a one-line frame; the id may come last.
    const QByteArray pretty =
        QJsonDocument(packetToJson(packet).toObject()).toJson(QJsonDocument::Indented);
    const QByteArray prettyFrame = encodeRawResult(QJsonValue(4), pretty);
    QCOMPARE(prettyFrame.count('\n'), 1);
    QCOMPARE(parseIntoPacket(prettyFrame).packet.value<DataPacket>().rows, packet.rows);
    const RpcReply idLast =
        parseIntoPacket(R"({"result":{"rows":[],"fields":[]},"jsonrpc":"2.0","id":9})");
    QCOMPARE(idLast.id, QJsonValue(9));
    QVERIFY(idLast.packet.isValid());
    QVERIFY(parseReply(encodeRawResult(QJsonValue(5), QByteArray())).result.isNull());
}

// A well-formed answer whose packet is not shaped as one is still our answer (the caller shows
// why it is refused); text that is not JSON is a broken frame.
void TestJsonRpc::misshapenPacketIsNoBrokenAnswer() {
    const RpcReply reply = parseIntoPacket(
        R"({"jsonrpc":"2.0","id":6,"result":{"fields":[{"name":"A","type":"float"}],)"
        R"("rows":[[1],["x"],[3]]},"extra":[1,{"b":null}]})");
    QCOMPARE(reply.id, QJsonValue(6));
    QVERIFY(!reply.isError);
    QVERIFY(!reply.packet.isValid());
    QVERIFY2(reply.packetError.startsWith("invalid packet at offset 53: row 2, field A: "),
             qPrintable(reply.packetError));
    QVERIFY(parseIntoPacket(R"({"jsonrpc":"2.0","id":7,"result":{"x":1}})")
                .packetError.contains("no \"fields\""));
    QVERIFY_THROWS_EXCEPTION(ProtocolError,
                             parseIntoPacket(R"({"jsonrpc":"2.0","id":8,"result":{"fields":)"
                                             R"([{"name":"A","type":"float"}],"rows":[[01]]}})"));
}

void TestJsonRpc::errorFrameIsOneLine() {
    const QString message = QStringLiteral("Competência já \"apropriada\".\nLinha 2 \\ fim  ");
    const QByteArray frame =
        encodeError(QJsonValue(QStringLiteral("id\n1")), RpcCode::ServerError, message);
    QCOMPARE(frame.count('\n'), 1);
    for (ReplyParser parser : {&parseReply, &parseIntoPacket}) {
        const RpcReply reply = parser(frame);
        QVERIFY(reply.isError);
        QCOMPARE(reply.errorCode, RpcCode::ServerError);
        QCOMPARE(reply.errorMessage, message);
        QCOMPARE(reply.id, QJsonValue(QStringLiteral("id\n1")));
    }
}

void TestJsonRpc::failureText() {
    const RpcFailure failure(RpcCode::MethodNotFound, QStringLiteral("Método não encontrado"));
    QCOMPARE(QString::fromUtf8(failure.what()), QStringLiteral("Método não encontrado"));
    QVERIFY(failure.id().isNull());
}

QTEST_APPLESS_MAIN(TestJsonRpc)
#include "tst_jsonrpc.moc"
