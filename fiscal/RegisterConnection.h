#pragma once

#include <QObject>
#include <QVariant>

class TNetConnection;
class QWidget;

// The register and import windows' connection to the server object "ciap.fiscal", set up as
// the screen's is (the server's address read at every connect, token and TLS from the host's
// settings), and the one path of their calls.
class RegisterConnection final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* ServerObject = "ciap.fiscal";

    explicit RegisterConnection(QObject* parent = nullptr);
    ~RegisterConnection() override;

    TNetConnection* netFiscal() const { return m_net; }

    // netFiscal->Call, then CheckResultServ(result, true, 0): a server error is shown and
    // raised as EAbort. Gives the packet (QVariant holding a ciap::DataPacket), the array
    // (QVariantList) or the plain value.
    QVariant call(const QString& method, const QVariantList& args);

private:
    TNetConnection* m_net = nullptr;
};
