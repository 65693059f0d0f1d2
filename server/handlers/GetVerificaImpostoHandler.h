#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// The tax's kind code, as a one-element array.
class GetVerificaImpostoHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("getVerificaImposto"); }
    QStringList argumentNames() const override { return {QStringLiteral("imposto")}; }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
