#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// ciap.fiscal.livroCIAP(company, registration, month "MM/YYYY", model "C" or "D", tax or ""):
// the month's CIAP book as an array [file name, the book's figures as JSON text], which the
// client lays out and prints. Nothing is written anywhere.
class LivroCiapHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("livroCIAP"); }
    QString objectName() const override { return QString::fromLatin1(FiscalMethods::kObject); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("inscricao"),
                QStringLiteral("competencia"), QStringLiteral("modelo"), QStringLiteral("imposto")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
