#pragma once

#include "BensCompQuery.h"
#include "MethodHandler.h"

namespace ciap::server {

// The assets loaded into a competência.
class GetBensCompHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("getBensComp"); }
    QStringList argumentNames() const override {
        return {QStringLiteral("competencia"), QStringLiteral("empresa"), QStringLiteral("imposto"),
                QStringLiteral("nrseqciap")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
    // A month may hold 100,000 assets: the packet leaves in pieces as the rows are read.
    QByteArray handleStreaming(const QJsonArray& params, Session& session,
                               ResultStream& stream) const override;

private:
    QByteArray read(const QJsonArray& params, Session& session,
                    const BensCompQuery::Spill& spill) const;
};

} // namespace ciap::server
