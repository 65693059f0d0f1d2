#include "GetVerificaImpostoHandler.h"

#include "HandlerSupport.h"
#include "Params.h"
#include "RegisterStore.h"

namespace ciap::server {

QByteArray GetVerificaImpostoHandler::handle(const QJsonArray& params, Session& session) const {
    const Params p(name(), params, argumentNames());
    RegisterStore registers(session);
    return textArray(HandlerSupport::requireTax(registers, p.tax(0)).kind);
}

} // namespace ciap::server
