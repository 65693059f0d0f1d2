#include "EfdProblem.h"

#include <array>
#include <utility>

namespace ciap::efd {

namespace {

// clang-format off
constexpr std::array kRuleCodes{
    "LINE_FORMAT", "ENCODING", "FIELD_CHARACTER", "UNKNOWN_REGISTER", "FIELD_COUNT",
    "FIELD_REQUIRED", "FIELD_TYPE", "FIELD_SIZE", "FIELD_DECIMALS", "FIELD_DATE",
    "FIELD_VALUE", "HIERARCHY", "ORDER", "OCCURRENCE", "BLOCK_MOVEMENT", "BLOCK_COUNT",
    "REGISTER_COUNT", "FILE_COUNT", "LAYOUT_VERSION", "PERIOD", "CNPJ", "CPF", "CNPJ_OR_CPF",
    "MUNICIPALITY", "DUPLICATE", "UNREFERENCED", "REF_PARTICIPANT", "REF_UNIT", "REF_ITEM",
    "REF_ASSET", "REF_ACCOUNT", "REF_COST_CENTRE", "ASSET_MAIN", "ASSET_USE",
    "ASSET_DESCRIPTION", "ASSET_INSTALMENTS", "CHANGE_DATE", "G110_OUTGOING", "G110_INDEX",
    "G110_CREDIT", "G110_OPENING", "G110_INSTALMENTS", "G110_OTHER_CREDITS", "G125_VALUES",
    "G125_DATE", "G125_INSTALMENT", "G125_DUPLICATE", "G125_KIND", "G125_PAIR", "G126_INDEX",
    "G126_CREDIT", "G126_PERIOD", "G130_REQUIRED", "G130_KEY", "G130_DUPLICATE", "G130_DATE",
    "G140_SUMS", "G140_DUPLICATE", "G140_QUANTITY",
};
// clang-format on
static_assert(kRuleCodes.size() == std::size_t(Rule::G140Quantity) + 1,
              "one code per rule, in the enum's order");

constexpr int kProblemsInText = 20; // the rest is in problems(), the CLI lists them all

} // namespace

QString ruleCode(Rule rule) {
    return QString::fromLatin1(kRuleCodes[std::size_t(rule)]);
}

QString Problem::text() const {
    QStringList where;
    if (line > 0)
        where << QStringLiteral("linha %1").arg(line);
    if (!reg.isEmpty())
        where << QStringLiteral("registro %1").arg(reg);
    if (!asset.isEmpty())
        where << QStringLiteral("bem %1").arg(asset);
    if (!field.isEmpty())
        where << QStringLiteral("campo %1").arg(field);
    QString out = where.join(QStringLiteral(", "));
    if (!out.isEmpty())
        out += QStringLiteral(": ");
    out += message;
    if (!hint.isEmpty())
        out += QStringLiteral(" (") + hint + QLatin1Char(')');
    return out + QStringLiteral(" [") + ruleCode(rule) + QLatin1Char(']');
}

EfdError::EfdError(QString text, QList<Problem> problems)
    : m_text(std::move(text))
    , m_problems(std::move(problems)) {
    if (!m_problems.isEmpty()) {
        QStringList lines{m_text};
        for (int i = 0; i < m_problems.size() && i < kProblemsInText; ++i)
            lines << m_problems[i].text();
        if (m_problems.size() > kProblemsInText)
            lines << QStringLiteral("... e mais %1 problemas.")
                         .arg(m_problems.size() - kProblemsInText);
        m_text = lines.join(QLatin1Char('\n'));
    }
    m_what = m_text.toUtf8();
}

} // namespace ciap::efd
