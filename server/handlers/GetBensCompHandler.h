#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// The assets loaded into a competência.
class GetBensCompHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("getBensComp"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("competencia"), QStringLiteral("empresa"), QStringLiteral("imposto"),
                QStringLiteral("nrseqciap")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
