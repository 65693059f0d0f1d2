#include "RegisterEditing.h"

#include "AccessKey.h"
#include "AssetMaker.h"
#include "ChartStore.h"
#include "DocumentMapping.h"
#include "ExitMatcher.h"
#include "FreightApportionment.h"
#include "ImportMessages.h"
#include "Keys.h"
#include "RegisterRules.h"
#include "RegistryStore.h"
#include "ServiceError.h"

#include <QHash>

namespace ciap::server {

namespace {

[[noreturn]] void refuse(const QString& text) {
    throw ServiceError::rule(text);
}

QString padded(const QString& code) {
    const auto p = Keys::pad(code, Keys::AssetWidth);
    if (!p)
        refuse(ImportMessages::assetNotFound(code));
    return *p;
}

void checkAmount(const std::optional<qint64>& cents) {
    if (cents && *cents < 0)
        refuse(ImportMessages::negativeAmount());
}

} // namespace

RegisterEditing::RegisterEditing(Session& session)
    : m_session(session)
    , m_assets(session)
    , m_documents(session)
    , m_purchases(session) {}

RegisterAsset RegisterEditing::existing(const QString& company, const QString& code) {
    auto asset = m_assets.find(company, padded(code));
    if (!asset)
        refuse(ImportMessages::assetNotFound(code));
    return *asset;
}

bool RegisterEditing::importedEntry(const RegisterAsset& asset) {
    return asset.entry && !asset.entry->key.isEmpty() && m_purchases.find(asset.entry->key);
}

void RegisterEditing::apply(RegisterAsset& a, const AssetChanges& c, bool imported) {
    for (const auto* cents : {&c.ownCents, &c.stCents, &c.freightCents, &c.difalCents})
        checkAmount(*cents);
    const bool touchesDocument = c.ownCents || c.stCents || c.freightCents || c.participant ||
                                 c.documentModel || c.documentSeries || c.documentNumber ||
                                 c.documentKey || c.documentDate || c.documentItem || c.quantity;
    if (imported && touchesDocument)
        refuse(ImportMessages::figuresFromDocument(a.entry->key));

    AssetRecord& r = a.record;
    AssetDetails& d = a.details;
    r.name = c.name.value_or(r.name);
    r.patrimony = c.patrimony.value_or(r.patrimony);
    r.appropriationType = c.appropriationType.value_or(r.appropriationType);
    r.entry = c.entryDate.value_or(r.entry);
    r.instalments = c.instalments.value_or(r.instalments);
    if (c.ownCents)
        r.ownIcms = double(*c.ownCents) / 100.0;
    if (c.stCents)
        r.stIcms = double(*c.stCents) / 100.0;
    if (c.freightCents)
        r.freightIcms = double(*c.freightCents) / 100.0;
    if (c.difalCents) {
        r.difalIcms = double(*c.difalCents) / 100.0;
        d.difalPending = false; // answered, even with zero: the state charged nothing
    }
    d.component = c.component.value_or(d.component);
    d.mainAsset =
        c.mainAsset ? (c.mainAsset->isEmpty() ? QString() : padded(*c.mainAsset)) : d.mainAsset;
    d.account = c.account.value_or(d.account);
    d.costCentre = c.costCentre.value_or(d.costCentre);
    d.function = c.function.value_or(d.function);
    d.usefulLife = c.usefulLife.value_or(d.usefulLife);
    d.item = c.item.value_or(d.item);
    d.unit = c.unit.value_or(d.unit);
    d.origin = c.origin.value_or(d.origin);

    if (touchesDocument || c.paymentDocument) {
        AssetDocument e = a.entry.value_or(AssetDocument{});
        e.paymentDocument = c.paymentDocument.value_or(e.paymentDocument);
        if (c.documentKey && !c.documentKey->isEmpty()) {
            const auto key = documents::AccessKey::fromString(*c.documentKey);
            if (!key)
                refuse(ImportMessages::badKey(*c.documentKey));
            // The key says which document it is.
            e.key = key->toString();
            e.model = QString::number(key->model());
            e.series = QString::number(key->series());
            e.number = QString::number(key->documentNumber());
        }
        e.participant = c.participant.value_or(e.participant);
        e.model = c.documentModel.value_or(e.model);
        e.series = c.documentSeries.value_or(e.series);
        e.number = c.documentNumber.value_or(e.number);
        e.date = c.documentDate.value_or(e.date);
        e.item = c.documentItem.value_or(e.item);
        e.quantity = c.quantity.value_or(e.quantity);
        if (c.participant && !c.participant->isEmpty() &&
            !m_documents.participant(a.company, *c.participant))
            refuse(ImportMessages::participantNotFound(*c.participant));
        a.entry = e;
    }

    if (d.component) {
        if (d.mainAsset.isEmpty())
            refuse(ImportMessages::componentWithoutMain());
        const auto main = m_assets.find(a.company, d.mainAsset);
        if (!main || main->details.component || d.mainAsset == r.number)
            refuse(ImportMessages::mainAssetInvalid(d.mainAsset));
    }
    if (r.exitDate.isValid() && r.exitDate < r.entry)
        refuse(ImportMessages::exitBeforeEntry());
    // IA is a component's entry; the others an asset's.
    static const QStringList origins{QStringLiteral("IM"), QStringLiteral("MC"),
                                     QStringLiteral("IA"), QStringLiteral("CI")};
    if (!d.origin.isEmpty() &&
        (!origins.contains(d.origin) || (d.origin == QLatin1String("IA")) != d.component))
        refuse(ImportMessages::originInvalid(d.origin, d.component));
}

RegisterAsset RegisterEditing::change(const QString& company, const QString& code,
                                      const AssetChanges& changes) {
    RegisterAsset asset = existing(company, code);
    const bool wasMain = !asset.details.component;
    apply(asset, changes, importedEntry(asset));
    if (wasMain && asset.details.component) {
        for (const RegisterAsset& other : m_assets.list(company)) {
            if (other.details.mainAsset == asset.record.number)
                refuse(ImportMessages::hasComponents(asset.record.number));
        }
    }
    m_assets.update(asset);
    return asset;
}

RegisterAsset RegisterEditing::create(const QString& company, const QString& registration,
                                      const AssetChanges& changes) {
    if (!changes.name || changes.name->trimmed().isEmpty() || !changes.entryDate)
        refuse(ImportMessages::newAssetNeeds());
    const auto reg = RegistryStore(m_session).registration(company, registration);
    if (!reg)
        refuse(ImportMessages::registrationNotFound(registration));
    RegisterAsset asset;
    asset.company = company;
    asset.record.registration = reg->code;
    asset.record.instalments = reg->instalments;
    asset.record.appropriationType = QStringLiteral("01");
    apply(asset, changes, false);
    asset.record.number = m_assets.nextCode(company);
    m_assets.insert(asset);
    return asset;
}

QStringList RegisterEditing::assetsFromPurchase(const QString& company, const QString& key,
                                                const QList<int>& items) {
    const auto purchase = m_purchases.find(key.trimmed());
    if (!purchase || purchase->company != company)
        refuse(ImportMessages::purchaseNotFound(key));
    if (purchase->cancelled)
        refuse(ImportMessages::purchaseCancelled(key));
    const QList<PurchaseItem> all = m_purchases.items(purchase->key);
    QList<PurchaseItem> turned;
    for (int n : items) {
        const auto it = std::find_if(all.begin(), all.end(),
                                     [n](const PurchaseItem& i) { return i.number == n; });
        if (it == all.end())
            refuse(ImportMessages::purchaseItemNotFound(purchase->key, n));
        if (it->asset)
            refuse(ImportMessages::purchaseItemIsAsset(purchase->key, n));
        turned.append(*it);
    }
    if (items.isEmpty()) {
        for (const PurchaseItem& i : all) {
            if (!i.asset)
                turned.append(i);
        }
        if (turned.isEmpty())
            refuse(ImportMessages::nothingToTurn(purchase->key));
    }
    const auto reg = RegistryStore(m_session).registration(company, purchase->registration);
    if (!reg)
        refuse(ImportMessages::registrationNotFound(purchase->registration));
    return AssetMaker(m_assets, m_purchases).make(*purchase, turned, *reg);
}

RegisterAsset RegisterEditing::recordExit(const QString& company, const QString& code,
                                          const QDate& date, const QString& kind,
                                          const QString& documentKey, int item,
                                          const QString& participant) {
    RegisterAsset asset = existing(company, code);
    if (!participant.isEmpty() && !m_documents.participant(company, participant))
        refuse(ImportMessages::participantNotFound(participant));
    if (kind != QLatin1String("V") && kind != QLatin1String("P") && kind != QLatin1String("O"))
        refuse(ImportMessages::badExitKind());
    if (date < asset.record.entry)
        refuse(ImportMessages::exitBeforeEntry());
    asset.record.exitDate = date;
    asset.record.exitKind = kind;
    asset.exit.reset();
    if (documentKey.isEmpty()) {
        m_assets.update(asset);
        return asset;
    }
    const auto key = documents::AccessKey::fromString(documentKey.trimmed());
    if (!key)
        refuse(ImportMessages::badKey(documentKey));
    // The item this exit settles: the one named, or the invoice's only waiting item.
    std::optional<PendingExit> pending;
    for (const PendingExit& p : m_documents.pendingExits(company)) {
        if (p.key == key->toString() && (item <= 0 || p.item == item)) {
            if (pending && item <= 0) {
                pending.reset();
                break;
            }
            pending = p;
        }
    }
    const int settled = item > 0 ? item : pending ? pending->item : 0;
    const qint64 quantity = asset.entry ? asset.entry->quantity : QuantityScale;
    if (const auto invoice = m_documents.outgoing(key->toString())) {
        // A cancelled invoice documents nothing: the tax file would cite a void document.
        if (invoice->cancelled)
            refuse(ImportMessages::exitDocumentCancelled(invoice->key));
        asset.exit =
            ExitMatcher::exitDocument(*invoice, settled, pending ? pending->productCode : QString(),
                                      pending ? pending->description : QString(), quantity);
    } else {
        AssetDocument d;
        d.own = true;
        d.model = QString::number(key->model());
        d.series = QString::number(key->series());
        d.number = QString::number(key->documentNumber());
        d.key = key->toString();
        d.date = date;
        d.item = settled;
        d.quantity = quantity;
        asset.exit = d;
    }
    if (!participant.isEmpty())
        asset.exit->participant = participant;
    m_assets.update(asset);
    if (pending && pending->item == settled) {
        qint64 gone = 0;
        for (const RegisterAsset& a : m_assets.exitedBy(key->toString())) {
            if (a.exit && a.exit->item == settled)
                gone += a.exit->quantity;
        }
        if (gone >= pending->quantity)
            m_documents.removePendingExits(pending->key, pending->item);
    }
    return asset;
}

RegisterAsset RegisterEditing::clearExit(const QString& company, const QString& code) {
    RegisterAsset asset = existing(company, code);
    if (!asset.record.exitDate.isValid())
        refuse(ImportMessages::noExit(asset.record.number));
    asset.record.exitDate = QDate();
    asset.record.exitKind.clear();
    asset.exit.reset();
    m_assets.update(asset);
    return asset;
}

void RegisterEditing::dismissPendingExit(const QString& company, const QString& key, int item) {
    for (const PendingExit& p : m_documents.pendingExits(company)) {
        if (p.key == key.trimmed() && p.item == item) {
            m_documents.removePendingExits(p.key, p.item);
            return;
        }
    }
    refuse(ImportMessages::pendingExitNotFound(key, item));
}

QList<AssetGaps> RegisterEditing::gaps(const QString& company, const QString& registration,
                                       bool all) {
    QList<AssetGaps> out;
    QHash<QString, bool> cancelledEntries; // the assets of an item share their document
    for (const RegisterAsset& a : m_assets.list(company, registration)) {
        bool cancelled = false;
        if (a.entry && !a.entry->key.isEmpty()) {
            const auto known = cancelledEntries.constFind(a.entry->key);
            if (known != cancelledEntries.constEnd()) {
                cancelled = *known;
            } else {
                const auto p = m_purchases.find(a.entry->key);
                cancelled = p && p->cancelled;
                cancelledEntries.insert(a.entry->key, cancelled);
            }
        }
        const QStringList missing =
            RegisterRules::gaps(a, cancelled, defaultsOf(a.company, a.record.registration));
        if (all || !missing.isEmpty())
            out.append({a, missing});
    }
    return out;
}

EfdSettings RegisterEditing::defaultsOf(const QString& company, const QString& registration) {
    const QString key = company + QLatin1Char('|') + registration;
    const auto known = m_defaults.constFind(key);
    if (known != m_defaults.constEnd())
        return *known;
    const EfdSettings found = ChartStore(m_session)
                                  .settings(company, registration)
                                  .value_or(EfdSettings{QString(), QString()});
    m_defaults.insert(key, found);
    return found;
}

} // namespace ciap::server
