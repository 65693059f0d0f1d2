#include "ImportReport.h"

#include "AssetStore.h"
#include "DocumentStore.h"
#include "PurchaseStore.h"

#include <QStringList>

namespace ciap::server {

namespace {

QString money(qint64 cents) {
    QString units = QString::number(cents / 100);
    for (qsizetype at = units.size() - 3; at > 0; at -= 3)
        units.insert(at, QLatin1Char('.'));
    return units + QLatin1Char(',') +
           QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
}

// "0000000007 a 0000000009" for a run of codes, else the codes one by one (the first few).
QString codes(const QList<RegisterAsset>& assets) {
    QStringList all;
    for (const RegisterAsset& a : assets)
        all << a.record.number;
    bool run = true;
    for (qsizetype i = 1; i < all.size(); ++i)
        run = run && all[i].toLongLong() == all[i - 1].toLongLong() + 1;
    if (all.size() > 2 && run)
        return QStringLiteral("%1 a %2").arg(all.first(), all.last());
    if (all.size() > 10)
        return all.mid(0, 10).join(QStringLiteral(", ")) + QStringLiteral("…");
    return all.join(QStringLiteral(", "));
}

void purchase(Session& session, const Purchase& p, ImportReport& r, QStringList& parts) {
    PurchaseStore purchases(session);
    const QList<PurchaseItem> items = purchases.items(p.key);
    const QList<RegisterAsset> assets = AssetStore(session).fromEntryDocument(p.company, p.key);
    int waiting = 0;
    for (const PurchaseItem& i : items)
        waiting += i.asset ? 0 : 1;
    r.company = p.company;
    r.registration = p.registration;
    r.assets = int(assets.size());
    QString text = QStringLiteral("%1 nº %2 da inscrição %3, %4 item(ns)")
                       .arg(p.own ? QStringLiteral("Entrada própria") : QStringLiteral("Compra"),
                            p.number, p.registration)
                       .arg(items.size());
    if (p.cancelled)
        text += QStringLiteral(", cancelada");
    if (!assets.isEmpty())
        text += QStringLiteral("; %1 bem(ns): %2").arg(assets.size()).arg(codes(assets));
    if (waiting > 0 && !p.cancelled)
        text += QStringLiteral("; %1 item(ns) aguardam virar bens (aba Compras)").arg(waiting);
    if (p.interstate && !assets.isEmpty())
        text += QStringLiteral("; entrada interestadual: informe o diferencial de alíquota pago");
    parts << text;
}

void outgoing(Session& session, const OutgoingInvoice& o, const QString& key, ImportReport& r,
              QStringList& parts) {
    if (r.company.isEmpty()) {
        r.company = o.company;
        r.registration = o.registration;
    }
    QString text =
        QStringLiteral("Nota de saída nº %1 da inscrição %2").arg(o.number, o.registration);
    if (o.cancelled)
        text += QStringLiteral(", cancelada");
    const int exits = int(AssetStore(session).exitedBy(key).size());
    if (exits > 0)
        text += QStringLiteral("; saída de %1 bem(ns) registrada").arg(exits);
    int pending = 0;
    for (const PendingExit& p : DocumentStore(session).pendingExits(o.company))
        pending += p.key == key ? 1 : 0;
    if (pending > 0)
        text += QStringLiteral("; %1 item(ns) com saída de bem a resolver (aba Saídas Pendentes)")
                    .arg(pending);
    parts << text;
}

} // namespace

ImportReport ImportReport::of(Session& session, const QString& kind, const QString& key) {
    ImportReport r;
    QStringList parts;
    DocumentStore documents(session);
    if (kind == QLatin1String("CTE")) {
        if (const auto f = documents.freight(key)) {
            r.company = f->company;
            r.registration = f->registration;
            parts << QStringLiteral("Frete (CT-e nº %1) da inscrição %2: ICMS %3 sobre %4 NF-e")
                         .arg(f->number, f->registration, money(f->icmsCents))
                         .arg(f->nfeKeys.size());
        }
    } else {
        const auto p = PurchaseStore(session).find(key);
        const auto o = documents.outgoing(key);
        if (kind == QLatin1String("EVT")) {
            parts << (p || o ? QStringLiteral("Cancelamento da NF-e %1").arg(key)
                             : QStringLiteral("Cancelamento da NF-e %1, guardado até a nota "
                                              "ser importada")
                                   .arg(key));
        }
        if (p)
            purchase(session, *p, r, parts);
        if (o)
            outgoing(session, *o, key, r, parts);
    }
    r.text = parts.join(QStringLiteral(". "));
    return r;
}

} // namespace ciap::server
