#include "RegisterArguments.h"

#include "HandlerSupport.h"
#include "Keys.h"
#include "Params.h"
#include "RegisterStore.h"

#include <cmath>

namespace ciap::server {

QString RegisterArguments::company(const Params& p, int i, Session& session) {
    const QString code = p.company(i);
    RegisterStore registers(session);
    HandlerSupport::requireCompany(registers, code);
    return code;
}

bool RegisterArguments::flag(const Params& p, int i) {
    const QString t = p.text(i).trimmed().toUpper();
    if (t != QLatin1String("S") && t != QLatin1String("N"))
        p.fail(i, QStringLiteral("deve ser \"S\" ou \"N\"."));
    return t == QLatin1String("S");
}

QList<int> RegisterArguments::items(const Params& p, int i) {
    QList<int> out;
    for (const QString& part : p.text(i).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 1 || n > 990)
            p.fail(i, QStringLiteral("deve ser uma lista de itens de 1 a 990, como \"1,3\"."));
        if (!out.contains(n))
            out << n;
    }
    return out;
}

QStringList RegisterArguments::assets(const Params& p, int i) {
    QStringList out;
    for (const QString& part : p.text(i).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto code = Keys::pad(part, Keys::AssetWidth);
        if (!code || code->trimmed().isEmpty())
            p.fail(i, QStringLiteral("deve ser uma lista de códigos de bens."));
        if (!out.contains(*code))
            out << *code;
    }
    if (out.isEmpty())
        p.fail(i, QStringLiteral("deve nomear ao menos um bem."));
    return out;
}

int RegisterArguments::item(const Params& p, int i) {
    const double n = p.number(i);
    if (n != std::floor(n) || n < 1 || n > 990)
        p.fail(i, QStringLiteral("deve ser um item de 1 a 990."));
    return int(n);
}

} // namespace ciap::server
