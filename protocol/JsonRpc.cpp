#include "JsonRpc.h"

#include "JsonWriter.h"
#include "PacketCodec.h"
#include "PacketReader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <optional>

namespace ciap {

RpcFailure::RpcFailure(int code, QString message, QJsonValue id)
    : m_code(code)
    , m_message(std::move(message))
    , m_id(std::move(id))
    , m_what(m_message.toUtf8()) {}

const char* RpcFailure::what() const noexcept {
    return m_what.constData();
}

namespace {

const QLatin1StringView kJsonRpc("jsonrpc");
const QLatin1StringView kId("id");
const QLatin1StringView kMethod("method");
const QLatin1StringView kParams("params");
const QLatin1StringView kToken("token");
const QLatin1StringView kResult("result");
const QLatin1StringView kError("error");
const QLatin1StringView kCode("code");
const QLatin1StringView kMessage("message");

bool isValidId(const QJsonValue& id) {
    return id.isDouble() || id.isString() || id.isNull();
}

void writeHeader(JsonWriter& writer, const QJsonValue& id) {
    writer.raw("{\"jsonrpc\":\"2.0\",\"id\":");
    writer.value(id);
}

// The members of a response, however they were read.
struct ReplyParts {
    std::optional<QJsonValue> jsonrpc;
    std::optional<QJsonValue> id;
    bool hasResult = false;
    QJsonValue result;
    QVariant packet;
    QString packetError;
    qsizetype packetRowsOffset = -1;
    std::optional<QJsonValue> error;
};

RpcReply finishReply(ReplyParts parts) {
    if (!parts.jsonrpc || parts.jsonrpc->toString() != u"2.0")
        throw ProtocolError(QStringLiteral("the answer lacks \"jsonrpc\":\"2.0\""));
    if (!parts.id)
        throw ProtocolError(QStringLiteral("the answer has no \"id\""));
    if (!isValidId(*parts.id))
        throw ProtocolError(
            QStringLiteral("the answer's \"id\" must be a number, a string or null"));
    if (parts.hasResult == parts.error.has_value())
        throw ProtocolError(QStringLiteral("the answer must hold either \"result\" or \"error\""));
    RpcReply reply;
    reply.id = *parts.id;
    if (parts.hasResult) {
        reply.result = parts.result;
        reply.packet = parts.packet;
        reply.packetError = parts.packetError;
        reply.packetRowsOffset = parts.packetRowsOffset;
        return reply;
    }
    if (!parts.error->isObject())
        throw ProtocolError(QStringLiteral("the answer's \"error\" must be an object"));
    const QJsonObject error = parts.error->toObject();
    const QJsonValue code = error.value(kCode);
    const double number = code.toDouble();
    if (!code.isDouble() || number != std::trunc(number) || std::abs(number) > 2147483647.0)
        throw ProtocolError(QStringLiteral("the answer's error \"code\" must be a whole number"));
    const QJsonValue message = error.value(kMessage);
    if (!message.isString())
        throw ProtocolError(QStringLiteral("the answer's error \"message\" must be a string"));
    reply.isError = true;
    reply.errorCode = int(number);
    reply.errorMessage = message.toString();
    return reply;
}

} // namespace

QByteArray encodeRequest(const RpcRequest& request) {
    QJsonObject object{
        {kJsonRpc, QStringLiteral("2.0")}, {kMethod, request.method}, {kParams, request.params}};
    if (!request.id.isUndefined())
        object.insert(kId, request.id);
    if (!request.token.isEmpty())
        object.insert(kToken, request.token);
    QByteArray frame = QJsonDocument(object).toJson(QJsonDocument::Compact);
    frame.append('\n');
    return frame;
}

QByteArray encodeResult(const QJsonValue& id, const QJsonValue& result) {
    QByteArray frame;
    JsonWriter writer(frame);
    writeHeader(writer, id);
    writer.raw(",\"result\":");
    writer.value(result);
    writer.raw("}\n");
    return frame;
}

QByteArray encodeRawResult(const QJsonValue& id, const QByteArray& resultJson) {
    QByteArray frame;
    frame.reserve(resultJson.size() + 64);
    JsonWriter writer(frame);
    writeHeader(writer, id);
    writer.raw(",\"result\":");
    if (resultJson.trimmed().isEmpty()) {
        writer.raw("null");
    } else if (resultJson.contains('\n')) {
        // Inside JSON strings a line break is always escaped, so a raw one is white space
        // and may become a blank: the frame must stay on one line.
        QByteArray oneLine = resultJson;
        oneLine.replace('\n', ' ');
        writer.raw(oneLine);
    } else {
        writer.raw(resultJson);
    }
    writer.raw("}\n");
    return frame;
}

QByteArray encodeResultStart(const QJsonValue& id) {
    QByteArray start;
    JsonWriter writer(start);
    writeHeader(writer, id);
    writer.raw(",\"result\":");
    return start;
}

QByteArray encodeError(const QJsonValue& id, int code, const QString& message) {
    QByteArray frame;
    JsonWriter writer(frame);
    writeHeader(writer, id);
    writer.raw(",\"error\":{\"code\":");
    writer.raw(QByteArray::number(code));
    writer.raw(",\"message\":");
    writer.string(message);
    writer.raw("}}\n");
    return frame;
}

RpcRequest parseRequest(const QByteArray& frame) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(frame, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw RpcFailure(RpcCode::ParseError, QStringLiteral("Parse error: %1 at offset %2")
                                                  .arg(parseError.errorString())
                                                  .arg(parseError.offset));
    if (!document.isObject())
        throw RpcFailure(RpcCode::InvalidRequest,
                         QStringLiteral("Invalid request: the request must be a JSON object"));
    const QJsonObject object = document.object();
    RpcRequest request;
    request.id = object.value(kId); // Undefined when absent
    if (!request.id.isUndefined() && !isValidId(request.id))
        throw RpcFailure(
            RpcCode::InvalidRequest,
            QStringLiteral("Invalid request: \"id\" must be a number, a string or null"));
    const QJsonValue id = request.id.isUndefined() ? QJsonValue(QJsonValue::Null) : request.id;
    if (object.value(kJsonRpc) != QJsonValue(QStringLiteral("2.0")))
        throw RpcFailure(RpcCode::InvalidRequest,
                         QStringLiteral("Invalid request: \"jsonrpc\" must be \"2.0\""), id);
    const QJsonValue method = object.value(kMethod);
    if (!method.isString() || method.toString().isEmpty())
        throw RpcFailure(RpcCode::InvalidRequest,
                         QStringLiteral("Invalid request: \"method\" must be a non-empty string"),
                         id);
    request.method = method.toString();
    const QJsonValue params = object.value(kParams);
    if (params.isArray())
        request.params = params.toArray();
    else if (params.isObject())
        throw RpcFailure(RpcCode::InvalidParams,
                         QStringLiteral("Invalid params: parameters must be positional (an array)"),
                         id);
    else if (!params.isUndefined())
        throw RpcFailure(RpcCode::InvalidRequest,
                         QStringLiteral("Invalid request: \"params\" must be an array"), id);
    const QJsonValue token = object.value(kToken);
    if (token.isString())
        request.token = token.toString();
    else if (!token.isUndefined())
        throw RpcFailure(RpcCode::InvalidRequest,
                         QStringLiteral("Invalid request: \"token\" must be a string"), id);
    return request;
}

RpcReply parseReply(const QByteArray& frame) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(frame, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw ProtocolError(QStringLiteral("the answer is not valid JSON: %1 at offset %2")
                                .arg(parseError.errorString())
                                .arg(parseError.offset));
    if (!document.isObject())
        throw ProtocolError(QStringLiteral("the answer must be a JSON object"));
    const QJsonObject object = document.object();
    ReplyParts parts;
    if (object.contains(kJsonRpc))
        parts.jsonrpc = object.value(kJsonRpc);
    if (object.contains(kId))
        parts.id = object.value(kId);
    parts.hasResult = object.contains(kResult);
    parts.result = object.value(kResult);
    if (object.contains(kError))
        parts.error = object.value(kError);
    return finishReply(std::move(parts));
}

RpcReply parseReplyPacket(const QByteArray& frame, PacketSink& sink) {
    json::JsonReader reader(frame, QStringLiteral("the answer must be a JSON object"));
    if (reader.rootType() != json::od::json_type::object)
        throw ProtocolError(QStringLiteral("the answer must be a JSON object"));
    ReplyParts parts;
    for (auto m : reader.rootObject()) {
        json::od::field member = reader.member(std::move(m));
        const char* quote = nullptr;
        const QString key = reader.key(member, &quote);
        json::od::value& value = member.value();
        const auto duplicate = [&](bool seen) {
            if (seen)
                reader.syntaxError(quote,
                                   QStringLiteral("the member \"%1\" appears twice").arg(key));
        };
        if (key == kResult) {
            duplicate(parts.hasResult);
            parts.hasResult = true;
            if (reader.typeOf(value) != json::od::json_type::object) {
                parts.result = reader.toJson(value);
                continue;
            }
            parts.result = QJsonValue(QJsonValue::Undefined);
            try {
                json::PacketReader packet(reader, json::JsonReader::start(value), sink);
                packet.read(reader.object(value));
                parts.packet = sink.take();
                parts.packetRowsOffset = reader.offsetOf(packet.rowsStart());
            } catch (const json::PacketShapeError& e) {
                // The rest of the packet is skipped; the answer goes on after it.
                sink.take();
                parts.packetError = e.message();
            }
        } else if (key == kJsonRpc) {
            duplicate(parts.jsonrpc.has_value());
            parts.jsonrpc = reader.toJson(value);
        } else if (key == kId) {
            duplicate(parts.id.has_value());
            parts.id = reader.toJson(value);
        } else if (key == kError) {
            duplicate(parts.error.has_value());
            parts.error = reader.toJson(value);
        } else {
            reader.validate(value);
        }
    }
    reader.expectEnd();
    return finishReply(std::move(parts));
}

} // namespace ciap
