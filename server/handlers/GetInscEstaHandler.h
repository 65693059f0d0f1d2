#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// The state registrations of a company ("T"), or the one matching a code.
class GetInscEstaHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("getInscEsta"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("modo"), QStringLiteral("inscEstadual")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
