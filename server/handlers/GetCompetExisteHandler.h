#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// How many competências are stored for company, tax, registration and month.
class GetCompetExisteHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("getCompet_Existe"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("competencia"), QStringLiteral("imposto"), QStringLiteral("empresa"),
                QStringLiteral("inscEstadual")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
