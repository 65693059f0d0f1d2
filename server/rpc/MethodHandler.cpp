#include "MethodHandler.h"

#include <QJsonDocument>

namespace ciap::server {

ResultStream::~ResultStream() = default;

QByteArray MethodHandler::handleStreaming(const QJsonArray& params, Session& session,
                                          ResultStream&) const {
    return handle(params, session);
}

QByteArray MethodHandler::textArray(const QString& element) {
    return QJsonDocument(QJsonArray{element}).toJson(QJsonDocument::Compact);
}

} // namespace ciap::server
