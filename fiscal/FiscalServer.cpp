#include "FiscalServer.h"

#include "HostServices.h"
#include "TNetConnection.h"

FiscalServer::FiscalServer(QObject* parent)
    : QObject(parent)
    , m_net(new TNetConnection(this)) {
    m_net->setObjectName(QStringLiteral("netFiscal"));
    m_net->SetServerName(QString::fromLatin1(Object));
    // A failure to connect is an error answer, shown by CheckResultServ like any other.
    m_net->SetThrowException(false);
    m_net->BeforeConnect = [](TNetConnection& c) {
        c.SetHost(WebURL());
        c.SetPort(WebPort());
    };
}

FiscalServer::~FiscalServer() {
    m_net->BeforeConnect = nullptr;
    m_net->Close();
}

QVariant FiscalServer::call(const QString& method, const QVariantList& args) {
    return CheckResultServ(m_net->Call(method, args), true, 0);
}
