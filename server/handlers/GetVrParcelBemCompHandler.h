#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// The sum of the month's instalments in the asset register; no row when no asset has one.
class GetVrParcelBemCompHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("getVrParcelBemComp"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("competencia"), QStringLiteral("imposto"), QStringLiteral("empresa"),
                QStringLiteral("inscEstadual")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
