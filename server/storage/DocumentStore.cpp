#include "DocumentStore.h"

#include "ColumnValues.h"
#include "SqlStatement.h"

namespace ciap::server {

namespace {

QString kindCode(DocumentStore::Kind kind) {
    switch (kind) {
    case DocumentStore::Kind::Nfe:
        return QStringLiteral("NFE");
    case DocumentStore::Kind::Cte:
        return QStringLiteral("CTE");
    case DocumentStore::Kind::Event:
        break;
    }
    return QStringLiteral("EVT");
}

const QString participantColumns = QStringLiteral(
    "CDPARTICIPANTE, NMPARTICIPANTE, NRCNPJ, NRCPF, NRIE, CDPAIS, CDMUNICIPIO, NMMUNICIPIO, SGUF,"
    " DSENDERECO, NRENDERECO, DSCOMPLEMENTO, NMBAIRRO, DTREFERENCIA");

} // namespace

bool DocumentStore::imported(const QString& key) {
    SqlStatement s(m_session, QStringLiteral("SELECT 1 FROM DOCIMPORTADO WHERE CHDOCUMENTO = ?"),
                   "imported document");
    s.bind(key).exec();
    return s.next();
}

void DocumentStore::remember(const QString& key, Kind kind, const QString& source,
                             const QDateTime& at) {
    SqlStatement(m_session,
                 QStringLiteral("INSERT INTO DOCIMPORTADO (CHDOCUMENTO, TPDOCUMENTO, NMARQUIVO,"
                                " DTIMPORTACAO) VALUES (?, ?, ?, ?)"),
                 "remember document")
        .bind(key)
        .bind(kindCode(kind))
        // The end of a long path names the file better than its beginning.
        .bind(source.right(400))
        .bind(at)
        .exec();
}

void DocumentStore::putParticipant(const QString& company, const Participant& p) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT DTREFERENCIA FROM PARTICIPANTE WHERE CDEMPRESA = ?"
                                  " AND CDPARTICIPANTE = ?"),
                   "participant date");
    s.bind(company).bind(notNull(p.id, 60)).exec();
    const bool known = s.next();
    if (known && s.date(0) > p.asOf)
        return;
    const QVariantList values{p.name.left(100).isEmpty() ? QStringLiteral("-") : p.name.left(100),
                              fitted(p.cnpj, 14),
                              fitted(p.cpf, 11),
                              fitted(p.ie, 14),
                              fitted(p.country, 5),
                              fitted(p.municipality, 7),
                              fitted(p.municipalityName, 60),
                              fitted(p.uf, 2),
                              fitted(p.street, 60),
                              fitted(p.number, 60),
                              fitted(p.complement, 60),
                              fitted(p.district, 60),
                              p.asOf};
    SqlStatement write(
        m_session,
        known ? QStringLiteral("UPDATE PARTICIPANTE SET NMPARTICIPANTE = ?, NRCNPJ = ?, NRCPF = ?,"
                               " NRIE = ?, CDPAIS = ?, CDMUNICIPIO = ?, NMMUNICIPIO = ?, SGUF = ?,"
                               " DSENDERECO = ?, NRENDERECO = ?, DSCOMPLEMENTO = ?, NMBAIRRO = ?,"
                               " DTREFERENCIA = ? WHERE CDEMPRESA = ? AND CDPARTICIPANTE = ?")
              : QStringLiteral("INSERT INTO PARTICIPANTE (NMPARTICIPANTE, NRCNPJ, NRCPF, NRIE,"
                               " CDPAIS, CDMUNICIPIO, NMMUNICIPIO, SGUF, DSENDERECO, NRENDERECO,"
                               " DSCOMPLEMENTO, NMBAIRRO, DTREFERENCIA, CDEMPRESA, CDPARTICIPANTE)"
                               " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        "write participant");
    for (const QVariant& v : values)
        write.bind(v);
    write.bind(company).bind(notNull(p.id, 60)).exec();
}

std::optional<Participant> DocumentStore::participant(const QString& company, const QString& id) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT ") + participantColumns +
                       QStringLiteral(" FROM PARTICIPANTE WHERE CDEMPRESA = ? AND "
                                      "CDPARTICIPANTE = ?"),
                   "participant");
    s.bind(company).bind(id).exec();
    if (!s.next())
        return std::nullopt;
    Participant p;
    p.id = s.text(0);
    p.name = s.text(1);
    p.cnpj = s.text(2);
    p.cpf = s.text(3);
    p.ie = s.text(4);
    p.country = s.text(5);
    p.municipality = s.text(6);
    p.municipalityName = s.text(7);
    p.uf = s.text(8);
    p.street = s.text(9);
    p.number = s.text(10);
    p.complement = s.text(11);
    p.district = s.text(12);
    p.asOf = s.date(13);
    return p;
}

void DocumentStore::insertFreight(const Freight& f) {
    SqlStatement(m_session,
                 QStringLiteral("INSERT INTO CTE (CHCTE, CDEMPRESA, CDINSCESTA, CDPARTICIPANTE,"
                                " NRSERIE, NRDOCUMENTO, DTEMISSAO, VRPRESTACAOCENT, VRICMSCENT)"
                                " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 "insert freight")
        .bind(f.key)
        .bind(f.company)
        .bind(f.registration)
        .bind(fitted(f.participant, 60))
        .bind(f.series)
        .bind(f.number)
        .bind(f.issued)
        .bind(f.serviceCents)
        .bind(f.icmsCents)
        .exec();
    for (const QString& nfe : f.nfeKeys)
        SqlStatement(m_session, QStringLiteral("INSERT INTO CTENFE (CHCTE, CHNFE) VALUES (?, ?)"),
                     "insert freight invoice")
            .bind(f.key)
            .bind(nfe)
            .exec();
}

std::optional<Freight> DocumentStore::freight(const QString& key) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT CDEMPRESA, CDINSCESTA, CDPARTICIPANTE, NRSERIE,"
                                  " NRDOCUMENTO, DTEMISSAO, VRPRESTACAOCENT, VRICMSCENT"
                                  " FROM CTE WHERE CHCTE = ?"),
                   "freight");
    s.bind(key).exec();
    if (!s.next())
        return std::nullopt;
    Freight f;
    f.key = key;
    f.company = s.text(0);
    f.registration = s.text(1);
    f.participant = s.text(2);
    f.series = s.text(3);
    f.number = s.text(4);
    f.issued = s.date(5);
    f.serviceCents = s.integer(6);
    f.icmsCents = s.integer(7);
    SqlStatement n(m_session,
                   QStringLiteral("SELECT CHNFE FROM CTENFE WHERE CHCTE = ? ORDER BY CHNFE"),
                   "freight invoices");
    n.bind(key).exec();
    while (n.next())
        f.nfeKeys << n.text(0);
    return f;
}

QStringList DocumentStore::freightNaming(const QString& nfeKey) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT CHCTE FROM CTENFE WHERE CHNFE = ? ORDER BY CHCTE"),
                   "freight of an invoice");
    s.bind(nfeKey).exec();
    QStringList out;
    while (s.next())
        out << s.text(0);
    return out;
}

void DocumentStore::insertCancellation(const QString& nfeKey, const QDate& date,
                                       const QString& protocol) {
    if (cancelled(nfeKey))
        return; // a second event for the same invoice changes nothing
    SqlStatement(m_session,
                 QStringLiteral("INSERT INTO NFECANCELADA (CHNFE, DTCANCELAMENTO, NRPROTOCOLO)"
                                " VALUES (?, ?, ?)"),
                 "insert cancellation")
        .bind(nfeKey)
        .bind(date)
        .bind(notNull(protocol, 15))
        .exec();
}

bool DocumentStore::cancelled(const QString& nfeKey) {
    SqlStatement s(m_session, QStringLiteral("SELECT 1 FROM NFECANCELADA WHERE CHNFE = ?"),
                   "cancellation");
    s.bind(nfeKey).exec();
    return s.next();
}

std::optional<QString> DocumentStore::outgoingAt(const OutgoingInvoice& invoice) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT CHNFE FROM NFSAIDA WHERE CDEMPRESA = ? AND CDINSCESTA = ?"
                                  " AND CDMODELO = ? AND NRSERIE = ? AND NRNFSAIDA = ?"),
                   "outgoing invoice by number");
    s.bind(invoice.company)
        .bind(invoice.registration)
        .bind(invoice.model)
        .bind(invoice.series)
        .bind(invoice.number)
        .exec();
    if (!s.next())
        return std::nullopt;
    return s.text(0);
}

void DocumentStore::insertOutgoing(const OutgoingInvoice& invoice) {
    SqlStatement(m_session,
                 QStringLiteral("INSERT INTO NFSAIDA (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE,"
                                " NRNFSAIDA, CHNFE, DTEMISSAONF, IDCANCELADA, CDPARTICIPANTE)"
                                " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 "insert outgoing invoice")
        .bind(invoice.company)
        .bind(invoice.registration)
        .bind(invoice.model)
        .bind(invoice.series)
        .bind(invoice.number)
        .bind(invoice.key)
        .bind(invoice.issued)
        .bind(yesNo(invoice.cancelled))
        .bind(fitted(invoice.participant, 60))
        .exec();
    for (const OutgoingItem& item : invoice.items)
        SqlStatement(m_session,
                     QStringLiteral("INSERT INTO NFSAIDAITEM (CDEMPRESA, CDINSCESTA, CDMODELO,"
                                    " NRSERIE, NRNFSAIDA, NRITEM, CDCFOP, CDORIGEM, CDSITTRIB,"
                                    " VRCONTABILCENT, VRICMSCENT) VALUES (?, ?, ?, ?, ?, ?, ?, ?,"
                                    " ?, ?, ?)"),
                     "insert outgoing item")
            .bind(invoice.company)
            .bind(invoice.registration)
            .bind(invoice.model)
            .bind(invoice.series)
            .bind(invoice.number)
            .bind(item.number)
            .bind(item.cfop)
            .bind(fitted(item.origin, 1))
            .bind(notNull(item.situation, 3))
            .bind(item.valueCents)
            .bind(item.icmsCents)
            .exec();
}

std::optional<OutgoingInvoice> DocumentStore::outgoing(const QString& key) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE, NRNFSAIDA,"
                                  " DTEMISSAONF, IDCANCELADA, CDPARTICIPANTE FROM NFSAIDA"
                                  " WHERE CHNFE = ?"),
                   "outgoing invoice");
    s.bind(key).exec();
    if (!s.next())
        return std::nullopt;
    OutgoingInvoice o;
    o.company = s.text(0);
    o.registration = s.text(1);
    o.model = s.text(2);
    o.series = s.text(3);
    o.number = s.text(4);
    o.key = key;
    o.issued = s.date(5);
    o.cancelled = s.text(6) == QLatin1String("S");
    o.participant = s.text(7);
    return o;
}

void DocumentStore::cancelOutgoing(const QString& key) {
    SqlStatement(m_session, QStringLiteral("UPDATE NFSAIDA SET IDCANCELADA = 'S' WHERE CHNFE = ?"),
                 "cancel outgoing invoice")
        .bind(key)
        .exec();
}

void DocumentStore::insertPendingExit(const PendingExit& e) {
    SqlStatement(m_session,
                 QStringLiteral("INSERT INTO SAIDAPENDENTE (CDEMPRESA, CDINSCESTA, CHNFE, NRITEM,"
                                " CDCFOP, CDPRODUTO, DSPRODUTO, QTITEM, DTSAIDA, DSMOTIVO,"
                                " DSCANDIDATOS) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 "insert pending exit")
        .bind(e.company)
        .bind(e.registration)
        .bind(e.key)
        .bind(e.item)
        .bind(e.cfop)
        .bind(notNull(e.productCode, 60))
        .bind(notNull(e.description, 120))
        .bind(e.quantity)
        .bind(e.date)
        .bind(notNull(e.reason, 400))
        .bind(notNull(e.candidates.join(QStringLiteral(", ")), 400))
        .exec();
}

void DocumentStore::removePendingExits(const QString& key, int item) {
    SqlStatement s(m_session,
                   item > 0 ? QStringLiteral("DELETE FROM SAIDAPENDENTE WHERE CHNFE = ? AND "
                                             "NRITEM = ?")
                            : QStringLiteral("DELETE FROM SAIDAPENDENTE WHERE CHNFE = ?"),
                   "remove pending exits");
    s.bind(key);
    if (item > 0)
        s.bind(item);
    s.exec();
}

QList<PendingExit> DocumentStore::pendingExits(const QString& company) {
    SqlStatement s(m_session,
                   QStringLiteral("SELECT CDEMPRESA, CDINSCESTA, CHNFE, NRITEM, CDCFOP, CDPRODUTO,"
                                  " DSPRODUTO, QTITEM, DTSAIDA, DSMOTIVO, DSCANDIDATOS FROM"
                                  " SAIDAPENDENTE WHERE CDEMPRESA = ? ORDER BY DTSAIDA, CHNFE,"
                                  " NRITEM"),
                   "pending exits");
    s.bind(company).exec();
    QList<PendingExit> out;
    while (s.next()) {
        PendingExit e;
        e.company = s.text(0);
        e.registration = s.text(1);
        e.key = s.text(2);
        e.item = int(s.integer(3));
        e.cfop = s.text(4);
        e.productCode = s.text(5);
        e.description = s.text(6);
        e.quantity = s.integer(7);
        e.date = s.date(8);
        e.reason = s.text(9);
        e.candidates = s.text(10).split(QStringLiteral(", "), Qt::SkipEmptyParts);
        out.append(e);
    }
    return out;
}

} // namespace ciap::server
