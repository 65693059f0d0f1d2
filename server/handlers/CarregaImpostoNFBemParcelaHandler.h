#pragma once

#include "MethodHandler.h"

namespace ciap::server {

// "IMP": outgoing values and coefficient from the month's invoices; "BEM": the month's assets
// with an instalment. Answers "OK", or "TOTAL_NULO" / "N_PARCELAS" when there is nothing to load.
class CarregaImpostoNFBemParcelaHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("CarregaImpostoNFBemParcela"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("competencia"), QStringLiteral("empresa"),
                QStringLiteral("imposto"),     QStringLiteral("saldo"),
                QStringLiteral("modo"),        QStringLiteral("inscEstadual"),
                QStringLiteral("nrseqciap")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
