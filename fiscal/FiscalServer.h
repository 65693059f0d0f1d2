#pragma once

#include <QObject>
#include <QVariant>

class TNetConnection;

// The windows around the screen reach the application server through this: the object
// "ciap.fiscal" on a connection configured as the screen's (the host's server address, token
// and TLS settings, read at every connect), and every answer through CheckResultServ, which
// shows a refusal and aborts.
class FiscalServer final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* Object = "ciap.fiscal";

    explicit FiscalServer(QObject* parent = nullptr);
    ~FiscalServer() override;

    // The checked answer: QVariantList for an array, a DataPacket for a packet.
    QVariant call(const QString& method, const QVariantList& args);
    TNetConnection* connection() const { return m_net; }

private:
    TNetConnection* m_net;
};
