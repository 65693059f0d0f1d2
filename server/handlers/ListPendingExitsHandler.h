#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// Outgoing items with an asset-exit CFOP that named no asset clearly.
class ListPendingExitsHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("listPendingExits"); }
    QString objectName() const override { return QLatin1String(FiscalMethods::kObject); }
    QStringList argumentNames() const override { return {QStringLiteral("empresa")}; }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
