#include "MethodHandler.h"

#include <QJsonDocument>

namespace ciap::server {

QByteArray MethodHandler::textArray(const QString& element) {
    return QJsonDocument(QJsonArray{element}).toJson(QJsonDocument::Compact);
}

} // namespace ciap::server
