#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// One document file sent by the client, imported whole or refused: what it brought.
class ImportDocumentHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("importDocument"); }
    QString objectName() const override { return QLatin1String(FiscalMethods::kObject); }
    QStringList argumentNames() const override {
        return {QStringLiteral("arquivo"), QStringLiteral("conteudo"), QStringLiteral("bens"),
                QStringLiteral("itens")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
