#include "LivroCiapCall.h"

#include "BookJson.h"
#include "HostErrors.h"
#include "MonthFields.h"

#include <stdexcept>

namespace livrociap {

QString check(const Request& r) {
    if (const QString typed = checkTypedMonth(r.company, r.registration, r.month); !typed.isEmpty())
        return typed;
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
