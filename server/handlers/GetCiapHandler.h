#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// The competências of a company and tax in a period, for one registration or all ("T").
class GetCiapHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("getCIAP"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"),         QStringLiteral("imposto"),
                QStringLiteral("dtInicial"),       QStringLiteral("dtFinal"),
                QStringLiteral("textoApropriado"), QStringLiteral("textoPendente"),
                QStringLiteral("inscEstadual")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
