#include "OutgoingRules.h"

#include "ServerMessages.h"
#include "ServiceError.h"

namespace ciap::server {

std::optional<bool> OutgoingRules::taxedByIcms(const QString& situation, bool statesIcms) {
    // CST: Convênio s/nº 1970, Tabela B, with the single-phase codes of the fuels (02, 15, 53,
    // 61). Deferral (51, 53) postpones the tax and tax charged earlier by substitution (60, 61)
    // was paid: both operations are taxed. Exempt, untaxed and suspended ones (30, 40, 41,
    // 50) are not.
    static const QHash<QString, int> cst{
        {QStringLiteral("00"), 1},
        {QStringLiteral("02"), 1},
        {QStringLiteral("10"), 1},
        {QStringLiteral("15"), 1},
        {QStringLiteral("20"), 1},
        {QStringLiteral("30"), 0},
        {QStringLiteral("40"), 0},
        {QStringLiteral("41"), 0},
        {QStringLiteral("50"), 0},
        {QStringLiteral("51"), 1},
        {QStringLiteral("53"), 1},
        {QStringLiteral("60"), 1},
        {QStringLiteral("61"), 1},
        {QStringLiteral("70"), 1},
        {QStringLiteral("90"), -1},
        // CSOSN (Simples Nacional): taxed within the regime (101, 102, 201, 202), or charged
        // earlier by substitution (500); exempt, immune or untaxed (103, 203, 300, 400).
        {QStringLiteral("101"), 1},
        {QStringLiteral("102"), 1},
        {QStringLiteral("103"), 0},
        {QStringLiteral("201"), 1},
        {QStringLiteral("202"), 1},
        {QStringLiteral("203"), 0},
        {QStringLiteral("300"), 0},
        {QStringLiteral("400"), 0},
        {QStringLiteral("500"), 1},
        {QStringLiteral("900"), -1}};
    const auto it = cst.constFind(situation.trimmed());
    if (it == cst.constEnd())
        return std::nullopt;
    return *it < 0 ? statesIcms : *it == 1;
}

OutgoingRules::Sums OutgoingRules::sum(const QList<OutgoingGroup>& groups,
                                       const QHash<QString, CfopTreatment>& cfops) {
    Sums sums;
    for (const OutgoingGroup& g : groups) {
        const auto cfop = cfops.constFind(g.cfop);
        if (cfop == cfops.constEnd())
            throw ServiceError::rule(ServerMessages::unknownCfop(cfopText(g.cfop), g.invoice));
        if (!cfop->inTotal)
            continue;
        sums.totalCents += g.cents;
        if (cfop->alwaysTaxed) {
            sums.taxedCents += g.cents;
            continue;
        }
        const auto taxed = taxedByIcms(g.icmsSituation, g.statesIcms);
        if (!taxed)
            throw ServiceError::rule(
                ServerMessages::unknownIcmsSituation(g.icmsSituation, cfopText(g.cfop), g.invoice));
        if (*taxed)
            sums.taxedCents += g.cents;
    }
    return sums;
}

QString OutgoingRules::cfopText(const QString& cfop) {
    return cfop.size() == 4 ? cfop.left(1) + QLatin1Char('.') + cfop.mid(1) : cfop;
}

} // namespace ciap::server
