#include "AdminArguments.h"

namespace ciap::admin {

namespace {

// Digits with up to `decimals` decimals after a comma or a point; with a comma, points group
// thousands.
std::optional<qint64> parseScaled(QString text, int decimals) {
    text = text.trimmed();
    if (text.contains(QLatin1Char(','))) {
        text.remove(QLatin1Char('.'));
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    }
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() > 2 || parts[0].isEmpty() || parts[0].size() > 13)
        return std::nullopt;
    const QString fraction = parts.size() == 2 ? parts[1] : QString();
    if (fraction.size() > decimals || (parts.size() == 2 && fraction.isEmpty()))
        return std::nullopt;
    for (const QString& p : parts) {
        for (QChar c : p) {
            if (!c.isDigit() || c.unicode() > 127)
                return std::nullopt;
        }
    }
    qint64 value = parts[0].toLongLong();
    for (int i = 0; i < decimals; ++i)
        value = value * 10 + (i < fraction.size() ? fraction[i].digitValue() : 0);
    return value;
}

} // namespace

AdminArguments::AdminArguments(const QStringList& arguments, const QStringList& valued,
                               const QStringList& flags, bool positional) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!a.startsWith(QLatin1String("--"))) {
            if (!positional)
                throw UsageError(QStringLiteral("Argumento inesperado: %1.").arg(a));
            m_positional << a;
            continue;
        }
        QString name = a.mid(2);
        std::optional<QString> inlineValue;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            inlineValue = name.mid(eq + 1);
            name = name.left(eq);
        }
        if (flags.contains(name)) {
            if (inlineValue)
                throw UsageError(QStringLiteral("A opção --%1 não recebe valor.").arg(name));
            m_flags << name;
        } else if (valued.contains(name)) {
            if (!inlineValue && i + 1 >= arguments.size())
                throw UsageError(QStringLiteral("Falta o valor da opção --%1.").arg(name));
            if (m_values.contains(name))
                throw UsageError(
                    QStringLiteral("A opção --%1 foi informada duas vezes.").arg(name));
            m_values.insert(name, inlineValue ? *inlineValue : arguments[++i]);
        } else {
            throw UsageError(QStringLiteral("Opção desconhecida: --%1.").arg(name));
        }
    }
}

std::optional<QString> AdminArguments::optionalText(const QString& name) const {
    if (!m_values.contains(name))
        return std::nullopt;
    return m_values.value(name).trimmed();
}

QString AdminArguments::required(const QString& name) const {
    const QString value = m_values.value(name).trimmed();
    if (value.isEmpty())
        throw UsageError(QStringLiteral("Informe --%1.").arg(name));
    return value;
}

std::optional<int> AdminArguments::number(const QString& name, int min, int max) const {
    if (!m_values.contains(name))
        return std::nullopt;
    bool ok = false;
    const int n = m_values.value(name).trimmed().toInt(&ok);
    if (!ok || n < min || n > max)
        throw UsageError(
            QStringLiteral("--%1 deve ser um número de %2 a %3.").arg(name).arg(min).arg(max));
    return n;
}

std::optional<qint64> AdminArguments::parseCents(const QString& text) {
    return parseScaled(text, 2);
}

std::optional<qint64> AdminArguments::cents(const QString& name) const {
    if (!m_values.contains(name))
        return std::nullopt;
    const auto value = parseCents(m_values.value(name));
    if (!value)
        throw UsageError(QStringLiteral("--%1 deve ser um valor em reais com até duas casas "
                                        "decimais, como 1234,56.")
                             .arg(name));
    return value;
}

std::optional<qint64> AdminArguments::quantity(const QString& name) const {
    if (!m_values.contains(name))
        return std::nullopt;
    const auto value = parseScaled(m_values.value(name), 5);
    if (!value || *value <= 0)
        throw UsageError(QStringLiteral("--%1 deve ser uma quantidade positiva com até cinco "
                                        "casas decimais.")
                             .arg(name));
    return value;
}

std::optional<QDate> AdminArguments::date(const QString& name) const {
    if (!m_values.contains(name))
        return std::nullopt;
    const QDate d = QDate::fromString(m_values.value(name).trimmed(), QStringLiteral("dd/MM/yyyy"));
    if (!d.isValid())
        throw UsageError(
            QStringLiteral("--%1 deve ser uma data DD/MM/AAAA, como 15/03/2024.").arg(name));
    return d;
}

QList<int> AdminArguments::numbers(const QString& name) const {
    QList<int> out;
    if (!m_values.contains(name))
        return out;
    for (const QString& part : m_values.value(name).split(QLatin1Char(','))) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 1 || n > 990)
            throw UsageError(QStringLiteral("--%1 deve listar números de item de 1 a 990 "
                                            "separados por vírgula, como 1,3.")
                                 .arg(name));
        if (!out.contains(n))
            out << n;
    }
    return out;
}

} // namespace ciap::admin
