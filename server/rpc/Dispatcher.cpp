#include "Dispatcher.h"

#include "JsonRpc.h"
#include "MethodHandler.h"
#include "PacketCodec.h"
#include "RpcLog.h"
#include "ServerMessages.h"
#include "ServiceError.h"
#include "Session.h"
#include "StorageError.h"
#include "StorageLog.h"

#include <QElapsedTimer>
#include <optional>

namespace ciap::server {

namespace {

// Same time whatever the first differing byte, so the token cannot be guessed byte by byte.
bool sameToken(const QString& a, const QString& b) {
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    unsigned diff = unsigned(x.size() ^ y.size());
    for (qsizetype i = 0; i < x.size(); ++i)
        diff |= unsigned(uchar(x.at(i)) ^ uchar(i < y.size() ? y.at(i) : 0));
    return diff == 0;
}

// The method name is the client's text: keep the log line short and printable.
QString loggable(const QString& method) {
    QString m = method.left(64);
    for (QChar& c : m) {
        if (!c.isPrint())
            c = QLatin1Char('?');
    }
    return m.isEmpty() ? QStringLiteral("-") : m;
}

// The reply of one call, sent in pieces as its method writes them: the frame's start goes
// before the first. Without a way to send, the pieces wait here for the rest.
class ReplyStream final : public ResultStream {
public:
    ReplyStream(const std::function<void(const QByteArray&)>& send, const QJsonValue& id)
        : m_send(send)
        , m_id(id) {}

    void send(QByteArrayView piece) override {
        if (!m_send) {
            m_held.append(piece);
            return;
        }
        if (!m_started)
            m_send(encodeResultStart(m_id));
        m_started = true;
        m_send(piece.toByteArray());
    }
    bool started() const { return m_started; }
    QByteArray held() const { return m_held; }

private:
    const std::function<void(const QByteArray&)>& m_send;
    QJsonValue m_id;
    QByteArray m_held;
    bool m_started = false;
};

} // namespace

Dispatcher::Dispatcher(QString token, std::vector<std::unique_ptr<MethodHandler>> handlers)
    : m_token(std::move(token))
    , m_handlers(std::move(handlers)) {
    for (const auto& h : m_handlers)
        m_byName.insert(h->objectName() + QLatin1Char('.') + h->name(), h.get());
}

Dispatcher::~Dispatcher() = default;

QStringList Dispatcher::methodNames() const {
    QStringList names;
    for (const auto& h : m_handlers)
        names << h->name();
    return names;
}

const MethodHandler* Dispatcher::find(const QString& fullName) const {
    return m_byName.value(fullName, nullptr);
}

QByteArray Dispatcher::handleFrame(const QByteArray& frame, Session& session,
                                   const std::function<bool()>& admit,
                                   const std::function<void(const QByteArray&)>& send,
                                   bool* cut) const {
    QElapsedTimer timer;
    timer.start();
    RpcRequest request;
    QString method = QStringLiteral("-");
    QJsonValue id(QJsonValue::Null);
    int code = 0;
    QString message;
    QByteArray result;
    std::optional<ReplyStream> stream;
    try {
        request = parseRequest(frame);
        id = request.id;
        method = loggable(request.method);
        if (!m_token.isEmpty() && !sameToken(request.token, m_token)) {
            code = RpcCode::Unauthorized;
            message = ServerMessages::unauthorized();
        } else if (admit && !admit()) {
            code = RpcCode::ServerError;
            message = ServerMessages::tooManyConnections();
        } else if (const MethodHandler* handler = find(request.method)) {
            method = handler->name();
            // A notification's result goes nowhere, however long.
            static const std::function<void(const QByteArray&)> nowhere;
            stream.emplace(request.isNotification() ? nowhere : send, id);
            result = handler->handleStreaming(request.params, session, *stream);
            result.prepend(stream->held());
        } else {
            code = RpcCode::MethodNotFound;
            message = QStringLiteral("Método desconhecido: %1.").arg(request.method.left(200));
        }
    } catch (const RpcFailure& e) {
        code = e.code();
        message = e.message();
        id = e.id();
    } catch (const ServiceError& e) {
        code = e.code();
        message = e.message();
    } catch (const StorageError& e) {
        qCWarning(lcStorage, "%s failed: %s", qPrintable(method), qPrintable(e.logText()));
        if (e.duplicateKey()) {
            code = RpcCode::ConflictError;
            message = ServerMessages::conflict();
        } else {
            code = RpcCode::ServerError;
            // Retrying helps only a busy database; the others need someone to act.
            message = e.busy()       ? ServerMessages::databaseBusy()
                      : e.readOnly() ? ServerMessages::databaseReadOnly()
                      : e.full()     ? ServerMessages::databaseFull()
                                     : ServerMessages::databaseFailure();
            if (!e.busy())
                session.drop(); // it may have broken: the next request opens a fresh one
        }
    } catch (const ProtocolError& e) {
        code = RpcCode::InvalidParams;
        message = e.message();
    } catch (const std::exception& e) {
        qCCritical(lcRpc, "%s: unexpected failure: %s", qPrintable(method), e.what());
        code = RpcCode::InternalError;
        message = ServerMessages::internalFailure();
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (stream && stream->started()) {
        if (code == 0) {
            qCInfo(lcRpc, "%s %.2f ms ok", qPrintable(method), ms);
            result.append("}\n");
            return result;
        }
        // Part of the answer is out: the client learns of the failure as a lost connection.
        qCWarning(lcRpc, "%s %.2f ms error %d after part of the answer was sent: %s",
                  qPrintable(method), ms, code, qPrintable(message));
        if (cut)
            *cut = true;
        return {};
    }
    if (code == 0)
        qCInfo(lcRpc, "%s %.2f ms ok", qPrintable(method), ms);
    else
        qCInfo(lcRpc, "%s %.2f ms error %d", qPrintable(method), ms, code);
    if (request.isNotification() && code != RpcCode::ParseError &&
        code != RpcCode::InvalidRequest && !request.method.isEmpty())
        return {};
    QByteArray reply = code == 0 ? encodeRawResult(id, result) : encodeError(id, code, message);
    return reply;
}

} // namespace ciap::server
