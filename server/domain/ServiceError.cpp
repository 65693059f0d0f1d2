#include "ServiceError.h"

#include "JsonRpc.h"
#include "ServerMessages.h"

namespace ciap::server {

ServiceError::ServiceError(int code, QString message)
    : m_code(code)
    , m_message(std::move(message))
    , m_what(m_message.toUtf8()) {}

ServiceError ServiceError::rule(const QString& message) {
    return ServiceError(RpcCode::ServerError, message);
}

ServiceError ServiceError::conflict() {
    return ServiceError(RpcCode::ConflictError, ServerMessages::conflict());
}

ServiceError ServiceError::invalidParams(const QString& message) {
    return ServiceError(RpcCode::InvalidParams, message);
}

} // namespace ciap::server
