#include "BlocoGMapping.h"

#include "EfdFormat.h"

#include <QHash>

namespace ciap::server {

namespace {

QString plain(const QString& code) {
    QString out;
    for (QChar c : code) {
        if (c.isLetterOrNumber())
            out += c.toUpper();
    }
    return out;
}

efd::AssetOrigin origin(const RegisterAsset& a) {
    const QString& o = a.details.origin;
    if (o == QLatin1String("MC"))
        return efd::AssetOrigin::FromStock;
    if (o == QLatin1String("CI"))
        return efd::AssetOrigin::Completion;
    if (o == QLatin1String("IA") || (o.isEmpty() && a.details.component))
        return efd::AssetOrigin::Component;
    return efd::AssetOrigin::Purchase;
}

efd::ExitKind exitKind(const QString& kind) {
    if (kind == QLatin1String("V"))
        return efd::ExitKind::Sale;
    if (kind == QLatin1String("P"))
        return efd::ExitKind::Loss;
    if (kind == QLatin1String("O"))
        return efd::ExitKind::Other;
    return efd::ExitKind::None;
}

efd::IcmsParts icms(const AssetRecord& r) {
    return {BlocoGMapping::cents(r.ownIcms), BlocoGMapping::cents(r.stIcms),
            BlocoGMapping::cents(r.freightIcms), BlocoGMapping::cents(r.difalIcms)};
}

// G130 of a document; an entry carries its item (G140) with the asset's ICMS, which is the
// item's ICMS in proportion to the quantity applied (docs/import.md).
efd::Document document(const AssetDocument& d, const RegisterAsset& asset, bool withItem) {
    efd::Document out;
    out.issuer = d.own ? efd::Issuer::Own : efd::Issuer::ThirdParty;
    out.participant = d.participant;
    out.model = d.model;
    out.series = d.series;
    out.number = d.number.toLongLong();
    out.key = d.key;
    out.date = d.date;
    out.paymentDocument = d.paymentDocument;
    if (withItem) {
        efd::DocumentItem item;
        item.number = d.item;
        item.item = asset.details.item;
        item.quantity = d.quantity;
        item.unit = asset.details.unit;
        item.icms = icms(asset.record);
        out.items << item;
    }
    return out;
}

} // namespace

efd::Cents BlocoGMapping::cents(double value) {
    return efd::EfdFormat::roundToCents(value);
}

efd::Establishment BlocoGMapping::establishment(const QString& companyName,
                                                const Registration& registration,
                                                const EfdSettings& settings, const Month& month) {
    efd::Establishment e;
    e.start = month.firstDay();
    e.end = month.lastDay();
    e.name = companyName;
    const QString id = plain(registration.cnpj);
    // A registration of a person (a rural producer) carries an eleven-digit CPF.
    (id.size() == 11 ? e.cpf : e.cnpj) = id;
    e.uf = registration.uf;
    e.ie = plain(registration.code);
    e.municipality = registration.municipality;
    e.profile = settings.profile == QLatin1String("B")   ? efd::Profile::B
                : settings.profile == QLatin1String("C") ? efd::Profile::C
                                                         : efd::Profile::A;
    e.activity = settings.industrial ? efd::Activity::Industrial : efd::Activity::Other;
    return e;
}

efd::AssetFacts BlocoGMapping::facts(const RegisterAsset& asset, const Month& month) {
    const AssetRecord& r = asset.record;
    efd::AssetFacts f;
    f.code = r.number;
    f.entry = r.entry;
    f.icms = icms(r);
    f.instalments = r.instalments;
    f.origin = origin(asset);
    f.exitKind = r.exitDate.isValid() ? exitKind(r.exitKind) : efd::ExitKind::None;
    if (f.exitKind != efd::ExitKind::None)
        f.exit = r.exitDate;
    if (asset.entry && r.entry.isValid() && Month::of(r.entry) == month)
        f.entryDocuments << document(*asset.entry, asset, f.origin != efd::AssetOrigin::Completion);
    if (asset.exit && f.exitKind != efd::ExitKind::None && Month::of(r.exitDate) == month)
        f.exitDocuments << document(*asset.exit, asset, false);
    return f;
}

efd::FixedAsset BlocoGMapping::fixedAsset(const RegisterAsset& asset, const EfdSettings& defaults) {
    const AssetDetails& d = asset.details;
    efd::FixedAsset a;
    a.code = asset.record.number;
    a.kind = d.component ? efd::AssetKind::Component : efd::AssetKind::Asset;
    a.description = asset.record.name;
    a.mainAsset = d.mainAsset;
    a.account = d.account.isEmpty() ? defaults.account : d.account;
    a.instalments = asset.record.instalments;
    if (!d.component) {
        efd::AssetUse use;
        use.costCentre = d.costCentre.isEmpty() ? defaults.costCentre : d.costCentre;
        use.function = d.function;
        if (d.usefulLife > 0)
            use.usefulLifeMonths = d.usefulLife;
        a.use = use;
    }
    return a;
}

efd::Item BlocoGMapping::item(const RegisterAsset& asset, const QString& ncm) {
    efd::Item i;
    i.code = asset.details.item;
    const QString described = asset.entry ? asset.entry->productDescription.trimmed() : QString();
    i.description = described.isEmpty() ? asset.record.name : described;
    i.unit = asset.details.unit;
    i.type = 8;
    // COD_NCM is eight digits; services and the NF-e's "00" have none to give.
    if (ncm.size() == 8)
        i.ncm = ncm;
    return i;
}

efd::Unit BlocoGMapping::unit(const QString& code) {
    static const QHash<QString, QString> names{
        {QStringLiteral("UN"), QStringLiteral("Unidade")},
        {QStringLiteral("UND"), QStringLiteral("Unidade")},
        {QStringLiteral("UNID"), QStringLiteral("Unidade")},
        {QStringLiteral("PC"), QStringLiteral("Peça")},
        {QStringLiteral("PÇ"), QStringLiteral("Peça")},
        {QStringLiteral("CJ"), QStringLiteral("Conjunto")},
        {QStringLiteral("JG"), QStringLiteral("Jogo")},
        {QStringLiteral("KG"), QStringLiteral("Quilograma")},
        {QStringLiteral("T"), QStringLiteral("Tonelada")},
        {QStringLiteral("TON"), QStringLiteral("Tonelada")},
        {QStringLiteral("M"), QStringLiteral("Metro")},
        {QStringLiteral("M2"), QStringLiteral("Metro quadrado")},
        {QStringLiteral("M3"), QStringLiteral("Metro cúbico")},
        {QStringLiteral("L"), QStringLiteral("Litro")},
        {QStringLiteral("CX"), QStringLiteral("Caixa")},
        {QStringLiteral("VB"), QStringLiteral("Verba")},
    };
    return {code, names.value(code.toUpper(), code)};
}

efd::Participant BlocoGMapping::participant(const Participant& p) {
    efd::Participant out;
    out.code = p.id;
    out.name = p.name;
    // The register keeps the Central Bank's country code as the NF-e gives it ("1058").
    const QString country = p.country.isEmpty() ? QStringLiteral("1058") : p.country;
    out.country = country.rightJustified(5, u'0');
    out.cnpj = p.cnpj;
    out.cpf = p.cpf;
    out.ie = plain(p.ie);
    out.municipality = p.municipality;
    out.address = p.street;
    out.number = p.number;
    out.complement = p.complement;
    out.district = p.district;
    return out;
}

efd::Account BlocoGMapping::account(const AccountRecord& a) {
    return {
        a.changed, a.nature, a.synthetic ? efd::AccountKind::Synthetic : efd::AccountKind::Analytic,
        a.level,   a.code,   a.name};
}

efd::CostCentre BlocoGMapping::costCentre(const CostCentreRecord& c) {
    return {c.changed, c.code, c.name};
}

efd::MonthFigures BlocoGMapping::figures(const CompetenciaRow& row, bool wholeBalance) {
    efd::MonthFigures f;
    f.start = row.month.firstDay();
    f.end = row.month.lastDay();
    f.totalOutgoing = cents(row.total);
    f.taxedOutgoing = wholeBalance ? f.totalOutgoing : cents(row.taxed);
    f.outgoingIndex =
        wholeBalance ? efd::kIndexOne : efd::EfdFormat::roundToIndex8(row.coefficient);
    f.balance = cents(row.balance);
    f.credit = cents(row.credit);
    return f;
}

efd::ExitMonthInstalment BlocoGMapping::exitChoice(ExitMonthInstalment choice) {
    return choice == ExitMonthInstalment::Counts ? efd::ExitMonthInstalment::Counts
                                                 : efd::ExitMonthInstalment::DoesNotCount;
}

} // namespace ciap::server
