#include "LivroCiapCall.h"

#include "BookJson.h"
#include "HostErrors.h"

#include <QDate>

#include <stdexcept>

namespace livrociap {

QString check(const Request& r) {
    if (r.company.trimmed().isEmpty())
        return QStringLiteral("Empresa deve ser informada.");
    if (r.registration.trimmed().isEmpty())
        return QStringLiteral("Inscrição Estadual deve ser informada.");
    if (!QDate::fromString(QStringLiteral("01/") + r.month.trimmed(), QStringLiteral("dd/MM/yyyy"))
             .isValid())
        return QStringLiteral("Competência deve ser um mês MM/AAAA, como 01/2024.");
    if (r.model != QLatin1String("C") && r.model != QLatin1String("D"))
        return QStringLiteral("Escolha o modelo do livro: C ou D.");
    return {};
}

QVariantList arguments(const Request& r) {
    return {r.company.trimmed(), r.registration.trimmed(), r.month.trimmed(), r.model,
            r.tax.trimmed()};
}

Answer read(const QVariant& answer) {
    const QVariantList a = answer.toList();
    const QString invalid =
        QStringLiteral("Resposta inválida do servidor: o livro CIAP veio incompleto.");
    if (a.size() != 2)
        throw EHostError(invalid);
    try {
        return {a[0].toString(), ciap::book::BookJson::read(a[1].toString().toUtf8())};
    } catch (const std::runtime_error&) {
        throw EHostError(invalid);
    }
}

} // namespace livrociap
