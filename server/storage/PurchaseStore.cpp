#include "PurchaseStore.h"

#include "ColumnValues.h"
#include "SqlStatement.h"

namespace ciap::server {

namespace {

const QString purchaseColumns = QStringLiteral(
    "SELECT p.CHNFE, p.CDEMPRESA, p.CDINSCESTA, p.IDEMITENTE, p.CDPARTICIPANTE, p.CDMODELO,"
    " p.NRSERIE, p.NRDOCUMENTO, p.DTEMISSAO, p.DTENTRADA, p.SGUFEMITENTE, p.IDINTERESTADUAL,"
    " p.IDCANCELADA FROM NFENTRADA p");

Purchase readPurchase(const SqlStatement& s) {
    Purchase p;
    p.key = s.text(0);
    p.company = s.text(1);
    p.registration = s.text(2);
    p.own = s.text(3) == QLatin1String("0");
    p.participant = s.text(4);
    p.model = s.text(5);
    p.series = s.text(6);
    p.number = s.text(7);
    p.issued = s.date(8);
    p.entered = s.date(9);
    p.issuerUf = s.text(10);
    p.interstate = s.text(11) == QLatin1String("S");
    p.cancelled = s.text(12) == QLatin1String("S");
    return p;
}

} // namespace

void PurchaseStore::insert(const Purchase& p, const QList<PurchaseItem>& items) {
    SqlStatement(m_session,
                 QStringLiteral("INSERT INTO NFENTRADA (CHNFE, CDEMPRESA, CDINSCESTA, IDEMITENTE,"
                                " CDPARTICIPANTE, CDMODELO, NRSERIE, NRDOCUMENTO, DTEMISSAO,"
                                " DTENTRADA, SGUFEMITENTE, IDINTERESTADUAL, IDCANCELADA)"
                                " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 "insert purchase")
        .bind(p.key)
        .bind(p.company)
        .bind(p.registration)
        .bind(p.own ? QStringLiteral("0") : QStringLiteral("1"))
        .bind(fitted(p.participant, 60))
        .bind(p.model)
        .bind(p.series)
        .bind(p.number)
        .bind(p.issued)
        .bind(p.entered)
        .bind(fitted(p.issuerUf, 2))
        .bind(yesNo(p.interstate))
        .bind(yesNo(p.cancelled))
        .exec();
    for (const PurchaseItem& i : items)
        SqlStatement(m_session,
                     QStringLiteral("INSERT INTO NFENTRADAITEM (CHNFE, NRITEM, CDPRODUTO,"
                                    " DSPRODUTO, CDNCM, CDCFOP, CDUNIDADE, QTITEM, VRPRODUTOCENT,"
                                    " VRICMSCENT, VRICMSSTCENT, VRICMSFRETECENT, IDBEM)"
                                    " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     "insert purchase item")
            .bind(p.key)
            .bind(i.number)
            .bind(notNull(i.productCode, 60))
            .bind(notNull(i.description, 120))
            .bind(fitted(i.ncm, 8))
            .bind(i.cfop)
            .bind(notNull(i.unit, 6))
            .bind(i.quantity)
            .bind(i.valueCents)
            .bind(i.icmsCents)
            .bind(i.stCents)
            .bind(i.freightCents)
            .bind(yesNo(i.asset))
            .exec();
}

std::optional<Purchase> PurchaseStore::find(const QString& key) {
    SqlStatement s(m_session, purchaseColumns + QStringLiteral(" WHERE p.CHNFE = ?"), "purchase");
    s.bind(key).exec();
    if (!s.next())
        return std::nullopt;
    return readPurchase(s);
}

QList<PurchaseItem> PurchaseStore::items(const QString& key) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT NRITEM, CDPRODUTO, DSPRODUTO, CDNCM, CDCFOP, CDUNIDADE,"
                                  " QTITEM, VRPRODUTOCENT, VRICMSCENT, VRICMSSTCENT,"
                                  " VRICMSFRETECENT, IDBEM FROM NFENTRADAITEM WHERE CHNFE = ?"
                                  " ORDER BY NRITEM"),
                   "purchase items");
    s.bind(key).exec();
    QList<PurchaseItem> out;
    while (s.next()) {
        PurchaseItem i;
        i.key = key;
        i.number = int(s.integer(0));
        i.productCode = s.text(1);
        i.description = s.text(2);
        i.ncm = s.text(3);
        i.cfop = s.text(4);
        i.unit = s.text(5);
        i.quantity = s.integer(6);
        i.valueCents = s.integer(7);
        i.icmsCents = s.integer(8);
        i.stCents = s.integer(9);
        i.freightCents = s.integer(10);
        i.asset = s.text(11) == QLatin1String("S");
        out.append(i);
    }
    return out;
}

QList<Purchase> PurchaseStore::list(const QString& company, bool pendingOnly) {
    SqlStatement s(m_session,
                   purchaseColumns + QStringLiteral(" WHERE p.CDEMPRESA = ?") +
                       (pendingOnly
                            ? QStringLiteral(" AND p.IDCANCELADA = 'N' AND EXISTS (SELECT 1 FROM"
                                             " NFENTRADAITEM i WHERE i.CHNFE = p.CHNFE AND"
                                             " i.IDBEM = 'N')")
                            : QString()) +
                       QStringLiteral(" ORDER BY p.DTENTRADA DESC, p.CHNFE"),
                   "purchases");
    s.bind(company).exec();
    QList<Purchase> out;
    while (s.next())
        out.append(readPurchase(s));
    return out;
}

void PurchaseStore::markAsset(const QString& key, int item) {
    SqlStatement(
        m_session,
        QStringLiteral("UPDATE NFENTRADAITEM SET IDBEM = 'S' WHERE CHNFE = ? AND NRITEM = ?"),
        "purchase item to assets")
        .bind(key)
        .bind(item)
        .exec();
}

void PurchaseStore::setFreight(const QString& key, int item, qint64 cents) {
    SqlStatement(m_session,
                 QStringLiteral("UPDATE NFENTRADAITEM SET VRICMSFRETECENT = ? WHERE CHNFE = ?"
                                " AND NRITEM = ?"),
                 "purchase item freight")
        .bind(cents)
        .bind(key)
        .bind(item)
        .exec();
}

void PurchaseStore::cancel(const QString& key) {
    SqlStatement(m_session,
                 QStringLiteral("UPDATE NFENTRADA SET IDCANCELADA = 'S' WHERE CHNFE = ?"),
                 "cancel purchase")
        .bind(key)
        .exec();
}

} // namespace ciap::server
