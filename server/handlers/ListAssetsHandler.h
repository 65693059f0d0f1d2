#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// The register of a company (or of one of its registrations) with what each asset lacks.
class ListAssetsHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("listAssets"); }
    QString objectName() const override { return QLatin1String(FiscalMethods::kObject); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("inscEstadual")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
