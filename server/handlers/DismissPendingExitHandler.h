#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// A waiting exit dismissed: the item was no asset's exit.
class DismissPendingExitHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("dismissPendingExit"); }
    QString objectName() const override { return QLatin1String(FiscalMethods::kObject); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("chave"), QStringLiteral("item")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
