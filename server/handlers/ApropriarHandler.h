#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// Appropriates a pending competência that has assets.
class ApropriarHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("Apropriar"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("imposto"), QStringLiteral("competencia"),
                QStringLiteral("coeficiente"), QStringLiteral("nrseqciap")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
