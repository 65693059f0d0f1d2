#include "TNetConnection.h"

#include "BusyIndicator.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "HostSettings.h"
#include "NetTls.h"
#include "PackedPacket.h"
#include "PacketCodec.h"

#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QSslSocket>
#include <QTimer>

namespace {

const QString LostText = QStringLiteral("A conexão com o servidor de aplicação foi perdida.");
const QString StoppedText =
    QStringLiteral("Operação não realizada: a espera pelo servidor de aplicação foi interrompida.");

// What the waiting loop's exit code tells.
constexpr int StopOffered = 2;

ciap::RpcReply errorReply(int code, const QString& text) {
    ciap::RpcReply reply;
    reply.isError = true;
    reply.errorCode = code;
    reply.errorMessage = text;
    return reply;
}

} // namespace

TNetConnection::TNetConnection(QObject* parent)
    : QObject(parent)
    , m_alive(std::make_shared<bool>(true)) {}

TNetConnection::~TNetConnection() {
    // A call waiting in its event loop when the owner goes away must not touch this object
    // once the loop returns.
    *m_alive = false;
    if (m_loop)
        m_loop->quit();
    // The socket dies with its parent further down; its last signals must not reach the
    // waiting call's checks, which read members of this object.
    if (m_socket) {
        QObject::disconnect(m_socket, nullptr, nullptr, nullptr);
        m_socket->abort();
    }
}

bool TNetConnection::Connected() const {
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void TNetConnection::SetConnected(bool connected) {
    if (connected)
        Open();
    else
        Close();
}

bool TNetConnection::Open() {
    if (Connected())
        return true;
    if (connectSocket()) {
        Q_EMIT connectedChanged(true);
        return true;
    }
    if (m_throwException)
        throw EHostError(m_lastError);
    return false;
}

void TNetConnection::Close() {
    const bool was = Connected();
    dropSocket();
    if (was)
        Q_EMIT connectedChanged(false);
}

void TNetConnection::dropSocket() {
    m_decoder.reset();
    if (!m_socket)
        return;
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->abort();
    // A call may be waiting on this socket further up the stack (Close from a nested
    // event): let that stack unwind before the object goes.
    if (m_busy)
        socket->deleteLater();
    else
        delete socket;
}

bool TNetConnection::waitFor(int timeoutMs, const std::function<bool()>& done) {
    m_waitStopped = false;
    if (done())
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    const auto check = [&] {
        if (done())
            loop.quit();
    };
    QTcpSocket* socket = m_socket;
    connect(socket, &QTcpSocket::readyRead, &loop, check);
    connect(socket, &QTcpSocket::stateChanged, &loop, check);
    connect(socket, &QTcpSocket::errorOccurred, &loop, check);
    if (auto* tls = qobject_cast<QSslSocket*>(socket))
        connect(tls, &QSslSocket::encrypted, &loop, check);
    connect(&m_decoder, &AnswerDecoder::progressed, &loop, check);
    const std::shared_ptr<bool> alive = m_alive;
    m_loop = &loop;
    timer.start(timeoutMs);
    runWait(loop);
    if (!*alive)
        return false;
    m_loop = nullptr;
    return (!timedOut && !m_waitStopped) || done();
}

void TNetConnection::runWait(QEventLoop& loop) {
    // Input waits until the answer is in, so that nothing else starts meanwhile; once the
    // wait has lasted, the busy indicator offers to stop it and takes input itself.
    const int offerMs = m_stopOfferMs >= 0 ? m_stopOfferMs : HostSettings::stopOfferMs();
    StopWaitingOffer offer(
        offerMs, [&loop] { loop.exit(StopOffered); },
        [this, &loop] {
            m_waitStopped = true;
            loop.quit();
        });
    if (loop.exec(QEventLoop::ExcludeUserInputEvents) == StopOffered)
        loop.exec();
}

bool TNetConnection::connectSocket() {
    dropSocket();
    if (BeforeConnect)
        BeforeConnect(*this);
    if (m_host.trimmed().isEmpty() || m_port <= 0 || m_port > 65535) {
        m_lastError = QStringLiteral("Servidor de aplicação não configurado (endereço \"%1\", "
                                     "porta %2).")
                          .arg(m_host)
                          .arg(m_port);
        return false;
    }
    m_reader = ciap::FrameReader();
    m_decoder.reset();
    m_socket = createSocket();
    if (!m_socket)
        return false;
    const std::shared_ptr<bool> alive = m_alive;
    const bool finished = waitFor(m_connectTimeoutMs, [this] {
        return !m_socket || socketReady() || m_socket->state() == QAbstractSocket::UnconnectedState;
    });
    if (!*alive)
        return false;
    if (finished && socketReady()) {
        // Without it Nagle and delayed acknowledgement add tens of milliseconds per call.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        m_lastError.clear();
        return true;
    }
    if (m_waitStopped) {
        dropSocket();
        m_lastError = StoppedText;
        return false;
    }
    m_lastError = connectFailure(finished);
    dropSocket();
    return false;
}

bool TNetConnection::Tls() const {
    return m_tls.value_or(webTls());
}

QString TNetConnection::CaFile() const {
    return m_caFile.value_or(webTlsCaFile());
}

// The socket of a new connection, already connecting: with TLS when told to.
QTcpSocket* TNetConnection::createSocket() {
    m_tlsErrors.clear();
    if (!Tls()) {
        auto* socket = new QTcpSocket(this);
        socket->connectToHost(m_host, quint16(m_port));
        return socket;
    }
    QSslSocket* socket = nullptr;
    try {
        socket = NetTls::createSocket(CaFile(), this);
    } catch (const EHostError& e) {
        m_lastError = e.text();
        return nullptr;
    }
    connect(socket, &QSslSocket::sslErrors, this,
            [this](const QList<QSslError>& errors) { m_tlsErrors = errors; });
    socket->connectToHostEncrypted(m_host, quint16(m_port));
    return socket;
}

bool TNetConnection::socketReady() const {
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    const auto* tls = qobject_cast<const QSslSocket*>(m_socket);
    return !tls || tls->isEncrypted();
}

QString TNetConnection::connectFailure(bool finished) const {
    // Connected, but the handshake failed: the certificate or TLS itself is the reason.
    if (finished && m_socket && qobject_cast<const QSslSocket*>(m_socket) &&
        (!m_tlsErrors.isEmpty() || m_socket->error() == QAbstractSocket::SslHandshakeFailedError ||
         m_socket->error() == QAbstractSocket::RemoteHostClosedError))
        return NetTls::failureText(m_host, m_port, *m_socket, m_tlsErrors);
    const QString reason = !finished  ? QStringLiteral("tempo esgotado")
                           : m_socket ? m_socket->errorString()
                                      : QStringLiteral("conexão fechada");
    return QStringLiteral("Não foi possível conectar ao servidor de aplicação %1:%2: %3")
        .arg(m_host)
        .arg(m_port)
        .arg(reason);
}

ciap::RpcReply TNetConnection::failure(const QString& text) {
    m_lastError = text;
    if (m_throwException)
        throw EHostError(text);
    return errorReply(ciap::RpcCode::ConnectionError, text);
}

QVariant TNetConnection::Call(const QString& method, const QVariantList& args) {
    if (m_busy)
        return QVariant::fromValue(errorReply(
            ciap::RpcCode::ConnectionError,
            QStringLiteral("Já há uma chamada ao servidor de aplicação em andamento (%1).")
                .arg(method)));

    ciap::RpcRequest request;
    const qint64 id = m_nextId++;
    request.id = QJsonValue(id);
    request.method = m_serverName.isEmpty() ? method : m_serverName + QLatin1Char('.') + method;
    for (const QVariant& arg : args)
        request.params.append(argumentToJson(arg));
    request.token = m_token.isEmpty() ? webToken() : m_token;
    QByteArray frame = ciap::encodeRequest(request);
    if (!frame.endsWith('\n'))
        frame.append('\n');

    const std::shared_ptr<bool> alive = m_alive;
    m_busy = true;
    struct BusyReset {
        TNetConnection* self;
        std::shared_ptr<bool> alive;
        ~BusyReset() {
            if (*alive)
                self->m_busy = false;
        }
    } reset{this, alive};

    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState &&
        m_socket->bytesAvailable() == 0) {
        // A server that closed the connection while we were idle is noticed here, so the
        // call goes to a fresh connection instead of failing on the dead one.
        m_socket->waitForReadyRead(0);
    }
    if (!Connected()) {
        const bool connected = connectSocket();
        if (!*alive)
            return QVariant::fromValue(errorReply(ciap::RpcCode::ConnectionError, LostText));
        if (!connected)
            return QVariant::fromValue(failure(m_lastError));
        Q_EMIT connectedChanged(true);
    }
    const ciap::RpcReply reply = exchange(frame, id);
    return QVariant::fromValue(reply);
}

ciap::RpcReply TNetConnection::exchange(const QByteArray& frame, qint64 id) {
    if (m_socket->write(frame) != frame.size()) {
        dropSocket();
        return failure(LostText);
    }
    ciap::RpcReply reply;
    bool answered = false;
    QString invalid;
    bool lost = false;
    // True when the frame ended the wait: our answer, or a broken one.
    const auto take = [&](AnswerDecoder::Decoded decoded) {
        if (!decoded.invalid.isEmpty()) {
            invalid = decoded.invalid;
            return true;
        }
        // Only one call is ever in flight: an error the server could not tie to a request
        // (null id) is about ours.
        if (decoded.reply.id.toInteger(-1) == id ||
            (decoded.reply.isError && decoded.reply.id.isNull())) {
            reply = std::move(decoded.reply);
            answered = true;
            return true;
        }
        return false; // an answer to an earlier call that gave up waiting: not ours
    };
    const auto done = [&]() -> bool {
        if (answered || lost || !invalid.isEmpty())
            return true;
        if (std::optional<AnswerDecoder::Decoded> decoded = m_decoder.take();
            decoded && take(*decoded))
            return true;
        if (m_decoder.busy())
            return false; // what arrives meanwhile waits in the reader
        if (!m_socket) {
            lost = true;
            return true;
        }
        if (m_socket->bytesAvailable() > 0)
            m_reader.append(m_socket->readAll());
        while (std::optional<QByteArray> next = m_reader.next()) {
            m_decoder.complete(std::move(*next));
            if (std::optional<AnswerDecoder::Decoded> decoded = m_decoder.take()) {
                if (take(*decoded))
                    return true;
            } else {
                return false; // decoded on a worker: progressed() comes back here
            }
        }
        m_decoder.arrived(m_reader.partial());
        if (m_reader.overflowed()) {
            invalid = QStringLiteral("resposta maior que o limite");
            return true;
        }
        if (m_socket->state() != QAbstractSocket::ConnectedState) {
            lost = true;
            return true;
        }
        return false;
    };
    const std::shared_ptr<bool> alive = m_alive;
    const bool finished = waitFor(m_timeoutMs, done);
    if (!*alive)
        return errorReply(ciap::RpcCode::ConnectionError, LostText);
    if (answered)
        return reply;
    // Whatever went wrong, this connection's stream is no longer trusted.
    dropSocket();
    Q_EMIT connectedChanged(false);
    if (!invalid.isEmpty())
        return errorReply(ciap::RpcCode::ParseError,
                          QStringLiteral("Resposta inválida do servidor: %1").arg(invalid));
    // The connection goes with the call the user stopped waiting for; the next call opens a
    // new one.
    if (m_waitStopped)
        return failure(StoppedText);
    if (!finished)
        return failure(QStringLiteral("O servidor de aplicação não respondeu em %1 s.")
                           .arg(QString::number(m_timeoutMs / 1000.0, 'g', 4)));
    return failure(LostText);
}

QJsonValue TNetConnection::argumentToJson(const QVariant& value) {
    if (!value.isValid())
        return QJsonValue(QJsonValue::Null);
    const QMetaType type = value.metaType();
    if (type == QMetaType::fromType<ciap::DataPacket>())
        return ciap::packetToJson(value.value<ciap::DataPacket>());
    if (type == QMetaType::fromType<PackedPacket>())
        return ciap::packetToJson(
            static_cast<const PackedPacket*>(value.constData())->toDataPacket());
    if (type == QMetaType::fromType<ciap::Delta>())
        return ciap::deltaToJson(value.value<ciap::Delta>());
    switch (type.id()) {
    case QMetaType::Nullptr:
        return QJsonValue(QJsonValue::Null);
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    case QMetaType::QChar:
        return QString(value.toChar());
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        return d.isValid() ? QJsonValue(d.toString(QStringLiteral("yyyy-MM-dd")))
                           : QJsonValue(QJsonValue::Null);
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.isValid() ? QJsonValue(dt.date().toString(QStringLiteral("yyyy-MM-dd")))
                            : QJsonValue(QJsonValue::Null);
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QJsonArray array;
        const QVariantList list = value.toList();
        for (const QVariant& v : list)
            array.append(argumentToJson(v));
        return array;
    }
    case QMetaType::QJsonValue:
        return value.toJsonValue();
    case QMetaType::QJsonArray:
        return value.toJsonArray();
    case QMetaType::QJsonObject:
        return value.toJsonObject();
    default:
        break;
    }
    throw EHostError(QStringLiteral("Argumento de tipo %1 não pode ser enviado ao servidor.")
                         .arg(QString::fromLatin1(value.typeName())));
}
