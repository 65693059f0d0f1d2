#include "AssetRegisterRows.h"

#include "CiapRules.h"
#include "Month.h"
#include "RegisterRules.h"

#include <cmath>

namespace ciap::server {

namespace {

QVariant cents(double amount) {
    return double(std::llround(amount * 100.0));
}

QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant dateOrNull(const QDate& date) {
    return date.isValid() ? QVariant(date) : QVariant();
}

QVariant positive(qint64 n) {
    return n > 0 ? QVariant(double(n)) : QVariant();
}

QVariant quantity(qint64 scaled) {
    return scaled > 0 ? QVariant(double(scaled) / double(QuantityScale)) : QVariant();
}

QVariant flag(bool on) {
    return on ? QStringLiteral("S") : QStringLiteral("N");
}

} // namespace

AssetRegisterRows::AssetRegisterRows(Session& session)
    : m_assets(session)
    , m_documents(session)
    , m_purchases(session)
    , m_chart(session) {}

bool AssetRegisterRows::derived(const QString& field) {
    static const QStringList fields{
        QStringLiteral("VRCREDITOCENT"),      QStringLiteral("VRPARCELACENT"),
        QStringLiteral("IDENTRADAIMPORTADA"), QStringLiteral("NMPARTICIPANTEENT"),
        QStringLiteral("QTPENDENCIAS"),       QStringLiteral("DSPENDENCIAS")};
    return fields.contains(field, Qt::CaseInsensitive);
}

std::optional<Purchase> AssetRegisterRows::purchaseOf(const QString& key) {
    if (key.isEmpty())
        return std::nullopt;
    const auto known = m_purchaseCache.constFind(key);
    if (known != m_purchaseCache.constEnd())
        return *known;
    const auto found = m_purchases.find(key);
    m_purchaseCache.insert(key, found);
    return found;
}

QString AssetRegisterRows::participantName(const QString& company, const QString& id) {
    if (id.isEmpty())
        return {};
    const QString cacheKey = company + QLatin1Char('|') + id;
    const auto known = m_names.constFind(cacheKey);
    if (known != m_names.constEnd())
        return *known;
    const auto p = m_documents.participant(company, id);
    const QString name = p ? p->name : QString();
    m_names.insert(cacheKey, name);
    return name;
}

EfdSettings AssetRegisterRows::defaultsOf(const QString& company, const QString& registration) {
    const QString key = company + QLatin1Char('|') + registration;
    const auto known = m_defaults.constFind(key);
    if (known != m_defaults.constEnd())
        return *known;
    const EfdSettings found =
        m_chart.settings(company, registration).value_or(EfdSettings{QString(), QString()});
    m_defaults.insert(key, found);
    return found;
}

QVariantList AssetRegisterRows::row(const RegisterAsset& a) {
    const AssetRecord& r = a.record;
    const AssetDetails& d = a.details;
    const std::optional<Purchase> purchase = purchaseOf(a.entry ? a.entry->key : QString());
    const QStringList missing = RegisterRules::gaps(a, purchase && purchase->cancelled,
                                                    defaultsOf(a.company, r.registration));
    const AssetDocument e = a.entry.value_or(AssetDocument{});
    const AssetDocument s = a.exit.value_or(AssetDocument{});
    // The entry month always carries an instalment, and every instalment is the same.
    const qint64 instalment =
        r.entry.isValid()
            ? CiapRules::instalmentCents(r, Month::of(r.entry), ExitMonthInstalment::Counts)
            : 0;
    return {
        a.company,
        r.number,
        r.name,
        textOrNull(r.patrimony),
        r.registration,
        dateOrNull(r.entry),
        double(r.instalments),
        textOrNull(r.appropriationType),
        cents(r.ownIcms),
        cents(r.stIcms),
        cents(r.freightIcms),
        cents(r.difalIcms),
        double(CiapRules::creditCents(r)),
        double(instalment),
        flag(d.difalPending),
        textOrNull(e.paymentDocument),
        d.component ? QStringLiteral("2") : QStringLiteral("1"),
        textOrNull(d.mainAsset),
        textOrNull(d.account),
        textOrNull(d.costCentre),
        textOrNull(d.function),
        positive(d.usefulLife),
        textOrNull(d.item),
        textOrNull(d.unit),
        flag(purchase.has_value()),
        a.entry ? QVariant(e.own ? QStringLiteral("0") : QStringLiteral("1")) : QVariant(),
        textOrNull(e.participant),
        textOrNull(participantName(a.company, e.participant)),
        textOrNull(e.model),
        textOrNull(e.series),
        textOrNull(e.number),
        textOrNull(e.key),
        dateOrNull(e.date),
        positive(e.item),
        textOrNull(e.productCode),
        textOrNull(e.productDescription),
        quantity(e.quantity),
        dateOrNull(r.exitDate),
        textOrNull(r.exitKind),
        textOrNull(s.model),
        textOrNull(s.series),
        textOrNull(s.number),
        textOrNull(s.key),
        positive(s.item),
        double(missing.size()),
        textOrNull(missing.join(QStringLiteral("; "))),
    };
}

QList<QVariantList> AssetRegisterRows::list(const QString& company, const QString& registration) {
    QList<QVariantList> rows;
    for (const RegisterAsset& a : m_assets.list(company, registration))
        rows.append(row(a));
    return rows;
}

std::optional<QVariantList> AssetRegisterRows::current(const QString& company,
                                                       const QString& code) {
    const auto asset = m_assets.find(company, code);
    if (!asset)
        return std::nullopt;
    m_purchaseCache.clear();
    return row(*asset);
}

} // namespace ciap::server
