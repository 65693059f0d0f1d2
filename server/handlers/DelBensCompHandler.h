#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// Removes every asset of a pending competência.
class DelBensCompHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("delBensComp"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("imposto"), QStringLiteral("competencia"),
                QStringLiteral("nrseqciap")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
