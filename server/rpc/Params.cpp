#include "Params.h"

#include "Keys.h"
#include "ServiceError.h"

#include <cmath>

namespace ciap::server {

Params::Params(const QString& method, const QJsonArray& values, const QStringList& names)
    : m_method(method)
    , m_values(values)
    , m_names(names) {
    if (values.size() != names.size()) {
        throw ServiceError::invalidParams(
            QStringLiteral("%1 espera %2 argumentos (%3); recebeu %4.")
                .arg(method)
                .arg(names.size())
                .arg(names.join(QStringLiteral(", ")))
                .arg(values.size()));
    }
}

void Params::fail(int i, const QString& what) const {
    throw ServiceError::invalidParams(QStringLiteral("%1: o argumento %2 (%3) %4")
                                          .arg(m_method)
                                          .arg(i + 1)
                                          .arg(m_names.value(i), what));
}

QString Params::text(int i) const {
    const QJsonValue& v = m_values.at(i);
    if (!v.isString())
        fail(i, QStringLiteral("deve ser um texto."));
    QString t = v.toString();
    // No argument of any method is a multi-line text; a NUL would not even reach PostgreSQL.
    for (QChar c : t) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            fail(i, QStringLiteral("contém caracteres de controle."));
    }
    return t;
}

QString Params::code(int i, int width) const {
    const auto padded = Keys::pad(text(i), width);
    if (!padded)
        fail(i, QStringLiteral("tem mais de %1 caracteres.").arg(width));
    return *padded;
}

QString Params::company(int i) const {
    return code(i, Keys::CompanyWidth);
}

QString Params::tax(int i) const {
    return code(i, Keys::TaxWidth);
}

QString Params::asset(int i) const {
    return code(i, Keys::AssetWidth);
}

QString Params::registration(int i) const {
    const QString t = text(i).trimmed();
    if (t.size() > Keys::RegistrationWidth)
        fail(i, QStringLiteral("tem mais de %1 caracteres.").arg(Keys::RegistrationWidth));
    return t;
}

Month Params::month(int i) const {
    const auto m = Month::parse(text(i));
    if (!m)
        fail(i, QStringLiteral("deve ser um mês no formato MM/AAAA."));
    return *m;
}

qint64 Params::sequence(int i) const {
    const auto n = Keys::parseSequence(text(i));
    if (!n)
        fail(i, QStringLiteral("deve ser um número de sequência de até 10 dígitos."));
    return *n;
}

QDate Params::date(int i) const {
    const QJsonValue& v = m_values.at(i);
    if (v.isString()) {
        const QString s = v.toString();
        // "YYYY-MM-DD", optionally followed by a time part that is ignored.
        if (s.size() >= 10 &&
            (s.size() == 10 || s.at(10) == QLatin1Char('T') || s.at(10) == QLatin1Char(' '))) {
            const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
            if (d.isValid())
                return d;
        }
    }
    fail(i, QStringLiteral("deve ser uma data no formato AAAA-MM-DD."));
}

double Params::number(int i) const {
    const QJsonValue& v = m_values.at(i);
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        fail(i, QStringLiteral("deve ser um número."));
    return v.toDouble();
}

} // namespace ciap::server
