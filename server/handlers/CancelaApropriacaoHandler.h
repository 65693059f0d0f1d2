#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// Undoes the appropriation of an appropriated competência; answers ["OK"].
class CancelaApropriacaoHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("cancelaApropriacao"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("nrseqciap"),
                QStringLiteral("dtCompetencia"), QStringLiteral("imposto")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
