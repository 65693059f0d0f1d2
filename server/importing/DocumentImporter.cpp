#include "DocumentImporter.h"

#include "AssetMaker.h"
#include "DocumentMapping.h"
#include "DocumentRules.h"
#include "ExitMatcher.h"
#include "FreightApportionment.h"
#include "ImportMessages.h"
#include "RegistryStore.h"
#include "ServiceError.h"

namespace ciap::server {

namespace {

QString partyText(const QString& role, const documents::Party& party) {
    return ImportMessages::party(role, DocumentMapping::participantId(party),
                                 party.stateRegistration);
}

} // namespace

DocumentImporter::DocumentImporter(Session& session, ImportOptions options)
    : m_session(session)
    , m_options(std::move(options))
    , m_documents(session)
    , m_purchases(session)
    , m_assets(session)
    , m_registrations(RegistryStore(session).registrations())
    , m_now(QDateTime::currentDateTime()) {
    if (!m_options.items.isEmpty())
        m_options.assets = true;
}

DocumentImporter::Result DocumentImporter::import(const documents::FiscalDocument& document,
                                                  const QString& source) {
    try {
        if (const auto* nfe = std::get_if<documents::NfeDocument>(&document))
            return importNfe(*nfe, source);
        if (const auto* cte = std::get_if<documents::CteDocument>(&document))
            return importCte(*cte, source);
        return importCancellation(std::get<documents::NfeCancellation>(document), source);
    } catch (...) {
        // The caller rolls this document back: the participants it wrote are gone again.
        m_participants.clear();
        throw;
    }
}

std::optional<Registration> DocumentImporter::registrationOf(const documents::Party& party) const {
    const QList<Registration> found = m_registrations.match(party.cnpj, party.stateRegistration);
    if (found.size() > 1) {
        QStringList names;
        for (const Registration& r : found)
            names << r.company + QLatin1Char('/') + r.code;
        throw ServiceError::rule(
            ImportMessages::ambiguousRegistration(party.cnpj, party.stateRegistration, names));
    }
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

QString DocumentImporter::participant(const QString& company, const documents::Party& party,
                                      const QDate& asOf) {
    const Participant p = DocumentMapping::participant(party, asOf);
    if (p.id.isEmpty())
        return {};
    const QString cacheKey = company + QLatin1Char('|') + p.id;
    const auto it = m_participants.constFind(cacheKey);
    if (it == m_participants.constEnd() || *it < asOf) {
        m_documents.putParticipant(company, p);
        m_participants.insert(cacheKey, asOf);
    }
    return p.id;
}

DocumentImporter::Result DocumentImporter::importNfe(const documents::NfeDocument& nfe,
                                                     const QString& source) {
    const QString key = nfe.key.toString();
    if (m_documents.imported(key))
        return Result::Duplicate;
    const auto issuer = registrationOf(nfe.emitter);
    const auto recipient =
        nfe.recipient ? registrationOf(*nfe.recipient) : std::optional<Registration>();
    const auto refuseNotOurs = [&] {
        QStringList parties{partyText(QStringLiteral("emitente"), nfe.emitter)};
        if (nfe.recipient)
            parties << partyText(QStringLiteral("destinatário"), *nfe.recipient);
        throw ServiceError::rule(
            ImportMessages::notOurs(QStringLiteral("A NF-e %1").arg(key), parties));
    };
    const bool cancelled = m_documents.cancelled(key);
    if (nfe.direction == 1) {
        if (!issuer && !recipient)
            refuseNotOurs();
        if (recipient && nfe.isConsumerInvoice() && !issuer)
            throw ServiceError::rule(ImportMessages::consumerInvoice(key));
        if (issuer)
            outgoing(nfe, *issuer, cancelled);
        // A transfer between two establishments of the company: the other one's entry.
        if (recipient && !nfe.isConsumerInvoice())
            purchase(nfe, *recipient, false, cancelled);
    } else if (issuer) {
        purchase(nfe, *issuer, true, cancelled);
    } else if (recipient) {
        throw ServiceError::rule(ImportMessages::thirdPartyEntry(key));
    } else {
        refuseNotOurs();
    }
    m_documents.remember(key, DocumentStore::Kind::Nfe, source, m_now);
    return Result::Imported;
}

void DocumentImporter::purchase(const documents::NfeDocument& nfe, const Registration& registration,
                                bool own, bool cancelled) {
    const QString key = nfe.key.toString();
    Purchase p;
    p.key = key;
    p.company = registration.company;
    p.registration = registration.code;
    p.own = own;
    // In the company's own entry (an import, say) the other party is its recipient.
    const documents::Party* other =
        own ? (nfe.recipient ? &*nfe.recipient : nullptr) : &nfe.emitter;
    if (other)
        p.participant = participant(p.company, *other, nfe.issuedAt.localDate());
    p.model = QString::number(nfe.model);
    p.series = QString::number(nfe.series);
    p.number = QString::number(nfe.number);
    p.issued = nfe.issuedAt.localDate();
    p.entered = DocumentMapping::movementDate(nfe);
    p.issuerUf = nfe.emitter.address.uf;
    p.interstate = nfe.destination == 2;
    p.cancelled = cancelled;

    QList<PurchaseItem> items;
    QList<int> missing = m_options.items;
    for (const documents::NfeItem& i : nfe.items) {
        PurchaseItem item;
        item.key = key;
        item.number = i.number;
        item.productCode = i.productCode;
        item.description = i.description;
        item.ncm = i.ncm;
        item.cfop = QString::number(i.cfop);
        item.unit = i.unit;
        item.quantity = DocumentMapping::quantity(i.quantity);
        item.valueCents = i.totalValue;
        item.icmsCents = i.icms.amount;
        item.stCents = i.icms.stAmount;
        items.append(item);
        missing.removeAll(i.number);
    }
    if (!own && !missing.isEmpty()) {
        QStringList numbers;
        for (int n : missing)
            numbers << QString::number(n);
        throw ServiceError::rule(ImportMessages::missingItems(key, numbers));
    }
    m_purchases.insert(p, items);
    FreightApportionment(m_documents, m_purchases, m_assets).recompute({key});
    if (cancelled)
        return;

    // The company's own entry is booked under its own CFOPs; a supplier's shows the seller's,
    // so the buyer says which items are assets.
    QList<PurchaseItem> turned;
    for (const PurchaseItem& item : m_purchases.items(key)) {
        const bool asset = own ? DocumentRules::isAssetEntryCfop(item.cfop.toInt())
                               : m_options.assets && (m_options.items.isEmpty() ||
                                                      m_options.items.contains(item.number));
        if (asset)
            turned.append(item);
    }
    if (!turned.isEmpty())
        AssetMaker(m_assets, m_purchases).make(p, turned, registration);
}

void DocumentImporter::outgoing(const documents::NfeDocument& nfe, const Registration& registration,
                                bool cancelled) {
    OutgoingInvoice invoice;
    invoice.company = registration.company;
    invoice.registration = registration.code;
    invoice.model = QString::number(nfe.model);
    invoice.series = QString::number(nfe.series);
    invoice.number = QString::number(nfe.number);
    invoice.key = nfe.key.toString();
    invoice.issued = nfe.issuedAt.localDate();
    invoice.cancelled = cancelled;
    if (nfe.recipient)
        invoice.participant = participant(invoice.company, *nfe.recipient, invoice.issued);
    QList<ExitMatcher::Item> exits;
    for (const documents::NfeItem& i : nfe.items) {
        OutgoingItem item;
        item.number = i.number;
        item.cfop = QString::number(i.cfop);
        item.origin = i.icms.origin >= 0 ? QString::number(i.icms.origin) : QString();
        item.situation = i.icms.cst.isEmpty() ? i.icms.csosn : i.icms.cst;
        item.valueCents = DocumentRules::operationValue(
            {i.totalValue, i.freight, i.insurance, i.otherCharges, i.icms.stAmount,
             i.icms.fcpStAmount, i.ipiAmount, i.discount});
        item.icmsCents = i.icms.amount;
        invoice.items.append(item);
        if (!DocumentRules::exitKind(i.cfop).isEmpty())
            exits.append({i.number, i.cfop, i.productCode, i.description,
                          DocumentMapping::quantity(i.quantity),
                          DocumentMapping::quotedKeys(i.additionalInfo)});
    }
    if (const auto other = m_documents.outgoingAt(invoice))
        throw ServiceError::rule(ImportMessages::outgoingNumberTaken(
            invoice.model, invoice.series, invoice.number, invoice.registration, *other));
    m_documents.insertOutgoing(invoice);
    if (cancelled || exits.isEmpty())
        return;
    QStringList invoiceKeys = DocumentMapping::quotedKeys(nfe.additionalInfo);
    for (const documents::AccessKey& k : nfe.referencedNfeKeys) {
        if (!invoiceKeys.contains(k.toString()))
            invoiceKeys << k.toString();
    }
    ExitMatcher(m_documents, m_assets)
        .settle(invoice, DocumentMapping::movementDate(nfe), exits, invoiceKeys);
}

DocumentImporter::Result DocumentImporter::importCte(const documents::CteDocument& cte,
                                                     const QString& source) {
    const QString key = cte.key.toString();
    if (m_documents.imported(key))
        return Result::Duplicate;
    if (cte.cteType != 0)
        throw ServiceError::rule(ImportMessages::freightKind(key, cte.cteType));
    const auto taker = registrationOf(cte.taker.party);
    if (!taker)
        throw ServiceError::rule(ImportMessages::freightNotTaken(
            key, partyText(QStringLiteral("tomador"), cte.taker.party)));
    Freight f;
    f.key = key;
    f.company = taker->company;
    f.registration = taker->code;
    f.participant = participant(f.company, cte.emitter, cte.issuedAt.localDate());
    f.series = QString::number(cte.series);
    f.number = QString::number(cte.number);
    f.issued = cte.issuedAt.localDate();
    f.serviceCents = cte.serviceTotal;
    f.icmsCents = DocumentMapping::freightIcms(cte.icms);
    for (const documents::AccessKey& k : cte.nfeKeys) {
        if (!f.nfeKeys.contains(k.toString()))
            f.nfeKeys << k.toString();
    }
    m_documents.insertFreight(f);
    FreightApportionment(m_documents, m_purchases, m_assets).recompute(f.nfeKeys);
    m_documents.remember(key, DocumentStore::Kind::Cte, source, m_now);
    return Result::Imported;
}

DocumentImporter::Result
DocumentImporter::importCancellation(const documents::NfeCancellation& event,
                                     const QString& source) {
    const QString key = event.nfeKey.toString();
    // The event's own Id: "ID", the event type, the key and the sequence.
    const QString id = QStringLiteral("ID%1%2%3")
                           .arg(event.eventType)
                           .arg(key)
                           .arg(event.sequence, 2, 10, QLatin1Char('0'));
    if (m_documents.imported(id))
        return Result::Duplicate;
    if (!event.linkedToInvoice())
        throw ServiceError::rule(ImportMessages::eventNotLinked(key));
    // Kept even when its invoice is not here yet: whichever file comes first, the invoice ends
    // cancelled.
    const bool already = m_documents.cancelled(key);
    m_documents.insertCancellation(key, event.eventAt.localDate(), event.invoiceProtocol);
    if (!already) {
        if (const auto invoice = m_documents.outgoing(key)) {
            m_documents.cancelOutgoing(key);
            ExitMatcher(m_documents, m_assets).undo(key);
        }
        if (const auto bought = m_purchases.find(key)) {
            m_purchases.cancel(key);
            // Its assets go unless a competência already holds them or they left: those stay
            // for the user to settle, and the register lists them.
            for (const RegisterAsset& a : m_assets.fromEntryDocument(bought->company, key)) {
                if (!a.record.exitDate.isValid() &&
                    !m_assets.inAnyCompetencia(a.company, a.record.number))
                    m_assets.remove(a.company, a.record.number);
            }
            FreightApportionment(m_documents, m_purchases, m_assets).recompute({key});
        }
    }
    m_documents.remember(id, DocumentStore::Kind::Event, source, m_now);
    return Result::Imported;
}

} // namespace ciap::server
