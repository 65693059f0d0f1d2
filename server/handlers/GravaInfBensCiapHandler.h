#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// Adds ("I", also for an edited row) or removes ("D") one asset of a pending competência.
class GravaInfBensCiapHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("GravaInfBensCiap"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"),  QStringLiteral("bem"),
                QStringLiteral("imposto"),  QStringLiteral("dtCompetencia"),
                QStringLiteral("operacao"), QStringLiteral("inscEstadual"),
                QStringLiteral("nrseqciap")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
