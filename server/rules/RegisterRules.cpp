#include "RegisterRules.h"

namespace ciap::server {

QStringList RegisterRules::gaps(const RegisterAsset& asset, bool entryCancelled,
                                const EfdSettings& defaults) {
    QStringList out;
    const AssetRecord& r = asset.record;
    const AssetDetails& d = asset.details;
    if (entryCancelled)
        out << QStringLiteral("NF-e de entrada cancelada: exclua o bem ou corrija-o");
    // 0300: the account, and the main asset of a component.
    if (d.component && d.mainAsset.isEmpty())
        out << QStringLiteral("bem principal do componente");
    if (d.account.isEmpty() && defaults.account.isEmpty())
        out << QStringLiteral("conta contábil");
    // 0305, for assets only.
    if (!d.component) {
        if (d.costCentre.isEmpty() && defaults.costCentre.isEmpty())
            out << QStringLiteral("centro de custo");
        if (d.function.isEmpty())
            out << QStringLiteral("função do bem");
        if (d.usefulLife <= 0)
            out << QStringLiteral("vida útil");
    }
    // 0200/0190 of its G140 item.
    if (d.item.isEmpty())
        out << QStringLiteral("código do item");
    if (d.unit.isEmpty())
        out << QStringLiteral("unidade");
    // G130/G140 of the entry.
    if (!asset.entry) {
        out << QStringLiteral("documento de entrada");
    } else {
        const AssetDocument& e = *asset.entry;
        if (e.participant.isEmpty())
            out << QStringLiteral("participante do documento de entrada");
        if (e.model.isEmpty() || e.number.isEmpty() || !e.date.isValid())
            out << QStringLiteral("modelo, número e data do documento de entrada");
        if ((e.model == QLatin1String("55") || e.model == QLatin1String("57")) && e.key.isEmpty())
            out << QStringLiteral("chave de acesso do documento de entrada");
        if (e.item <= 0 || e.quantity <= 0)
            out << QStringLiteral("item e quantidade do documento de entrada");
    }
    // G125: an entry carries ICMS.
    if (d.difalPending)
        out << QStringLiteral("diferencial de alíquota: valor pago e documento de arrecadação");
    else if (r.ownIcms + r.stIcms + r.freightIcms + r.difalIcms <= 0)
        out << QStringLiteral("crédito de ICMS (as quatro parcelas somam zero)");
    // G130 of a sale or transfer.
    if (r.exitKind == QLatin1String("V") && !asset.exit)
        out << QStringLiteral("documento de saída");
    else if (r.exitKind == QLatin1String("V") && asset.exit->participant.isEmpty())
        out << QStringLiteral("participante do documento de saída");
    return out;
}

} // namespace ciap::server
