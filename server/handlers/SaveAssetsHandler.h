#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// The register's hand-entered fields and exits, changed as the client read them.
class SaveAssetsHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("saveAssets"); }
    QString objectName() const override { return QLatin1String(FiscalMethods::kObject); }
    QStringList argumentNames() const override { return {QStringLiteral("delta")}; }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
