#include "SaveAssetsHandler.h"

#include "AssetRegisterDelta.h"
#include "PacketCodec.h"
#include "Params.h"
#include "TransactionGuard.h"

namespace ciap::server {

QByteArray SaveAssetsHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    Delta delta;
    try {
        delta = deltaFromJson(p.raw(0));
    } catch (const ProtocolError& e) {
        p.fail(0, QStringLiteral("não é um delta válido: %1").arg(e.message()));
    }
    TransactionGuard tx(session);
    AssetRegisterDelta(session).apply(delta);
    tx.commit();
    return nullResult();
}

} // namespace ciap::server
