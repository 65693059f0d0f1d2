#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// A fresh NRSEQCIAP for the company and tax: never handed out twice.
class GetNrseqCiapHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("getNrseqCiap"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("imposto"),
                QStringLiteral("dtCompetencia")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
