#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// A waiting exit settled: the assets the user says left with the item.
class SettlePendingExitHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("settlePendingExit"); }
    QString objectName() const override { return QLatin1String(FiscalMethods::kObject); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("chave"), QStringLiteral("item"),
                QStringLiteral("bens")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
