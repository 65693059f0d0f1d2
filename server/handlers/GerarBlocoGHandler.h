#pragma once

#include "FiscalMethods.h"
#include "MethodHandler.h"

namespace ciap::server {

// ciap.fiscal.gerarBlocoG(company, registration, month "MM/YYYY", tax or ""): the month's Bloco
// G as an array ["OK", file name, the file in Base64 (ISO-8859-1, CRLF), problems packet (no
// rows), lines, movements, tax] or, when the register has problems, ["PROBLEMAS", file name,
// "", problems packet, 0, 0, tax]. Nothing is written anywhere: the client saves the file.
class GerarBlocoGHandler final : public MethodHandler {
public:
    QString name() const override { return QStringLiteral("gerarBlocoG"); }
    QString objectName() const override { return QString::fromLatin1(FiscalMethods::kObject); }
    QStringList argumentNames() const override {
        return {QStringLiteral("empresa"), QStringLiteral("inscricao"),
                QStringLiteral("competencia"), QStringLiteral("imposto")};
    }
    QByteArray handle(const QJsonArray& params, Session& session) const override;
};

} // namespace ciap::server
