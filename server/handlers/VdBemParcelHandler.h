#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// Checks an asset for a competência: SITUACAO 1 already loaded, 2 has an instalment and may be
// loaded; no row when it has no instalment in the month or does not exist.
class VdBemParcelHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("VdBemParcel"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("imposto"), QStringLiteral("competencia"),
                QStringLiteral("bem"), QStringLiteral("inscEstadual")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
