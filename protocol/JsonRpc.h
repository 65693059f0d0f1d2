#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonValue>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <exception>

namespace ciap {

class PacketSink;

namespace RpcCode {
constexpr int ParseError = -32700;
constexpr int InvalidRequest = -32600;
constexpr int MethodNotFound = -32601;
constexpr int InvalidParams = -32602;
constexpr int InternalError = -32603;
constexpr int ServerError = -32000;     // a business rule refused the call; message for the user
constexpr int ConflictError = -32001;   // the row changed since it was read
constexpr int Unauthorized = -32002;    // token missing or wrong
constexpr int ConnectionError = -32099; // client side: server not reachable / connection lost
} // namespace RpcCode

struct RpcRequest {
    // Number or string; Undefined (member absent) for a notification, which gets no answer.
    // A request with "id":null is answered with a null id.
    QJsonValue id;
    QString method;    // "MZR02400.rdmCIAP.getCIAP"
    QJsonArray params; // positional
    QString token;     // optional member "token": shared secret for non-loopback servers

    bool isNotification() const { return id.isUndefined(); }
};

// What a call gives back: either a result or an error.
struct RpcReply {
    QJsonValue id;
    bool isError = false;
    QJsonValue result;
    int errorCode = 0;
    QString errorMessage;
    // Filled by parseReplyPacket only. A result that is an object, read as a data packet: what
    // the reader's sink made of it (result then stays Undefined); or, when it is not shaped as
    // a packet, why.
    QVariant packet;
    QString packetError;
    qsizetype packetRowsOffset = -1; // where the packet's rows open, in the frame
};

// One frame = one JSON object + '\n'.
QByteArray encodeRequest(const RpcRequest& request);
QByteArray encodeResult(const QJsonValue& id, const QJsonValue& result);
// Result already serialized as JSON text (large packets are written without a QJsonDocument).
QByteArray encodeRawResult(const QJsonValue& id, const QByteArray& resultJson);
QByteArray encodeError(const QJsonValue& id, int code, const QString& message);
// A result sent in pieces as it is written: what goes before the first piece (the frame ends
// with "}\n" after the last one). The pieces must hold no line break.
QByteArray encodeResultStart(const QJsonValue& id);

// Throws RpcFailure with the JSON-RPC code to answer (ParseError, InvalidRequest).
RpcRequest parseRequest(const QByteArray& frame);
// Throws ProtocolError when the frame is not a valid response.
RpcReply parseReply(const QByteArray& frame);
// As parseReply, but an object result is read straight into sink as a data packet, in one pass
// over the frame (a packet of 100,000 rows builds no document first). Any other result (array,
// text, number, null) is in result as usual. A packet of the wrong shape does not throw: the
// answer itself was well-formed, and says so in packetError.
RpcReply parseReplyPacket(const QByteArray& frame, PacketSink& sink);

class RpcFailure : public std::exception {
public:
    // id: the request's id when it could be read, for the error answer (null otherwise).
    RpcFailure(int code, QString message, QJsonValue id = QJsonValue(QJsonValue::Null));
    int code() const { return m_code; }
    const QJsonValue& id() const { return m_id; }
    const QString& message() const { return m_message; }
    const char* what() const noexcept override;

private:
    int m_code;
    QString m_message;
    QJsonValue m_id;
    QByteArray m_what;
};

} // namespace ciap

Q_DECLARE_METATYPE(ciap::RpcReply)
