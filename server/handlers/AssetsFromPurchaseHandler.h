#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// Items of a kept purchase turned into assets.
class AssetsFromPurchaseHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("assetsFromPurchase"); }
    QString objectName() const override { return QLatin1String(FiscalMethods::kObject); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("chave"), QStringLiteral("itens")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
