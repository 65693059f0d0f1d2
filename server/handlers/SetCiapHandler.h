#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// Applies the change log of the competência list in one transaction; a row changed by someone
// else since it was read refuses the whole delta.
class SetCiapHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("setCiap"); }
    QStringList argumentNames() const override { return {QStringLiteral("delta")}; }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
