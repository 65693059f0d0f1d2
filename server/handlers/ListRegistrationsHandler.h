#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// The company's state registrations with what documents are matched by.
class ListRegistrationsHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("listRegistrations"); }
    QString objectName() const override { return QLatin1String(FiscalMethods::kObject); }
    QStringList argumentNames() const override { return {QStringLiteral("empresa")}; }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
