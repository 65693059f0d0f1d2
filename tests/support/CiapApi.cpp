#include "CiapApi.h"

#include "PacketCodec.h"
#include "Packets.h"

using ciap::DataPacket;
using ciap::Delta;
using ciap::DeltaChange;

QString CiapApi::newSequence(const QString& company, const QString& tax, const QDate& month) {
    return m_client
        .result(QStringLiteral("getNrseqCiap"), {company, tax, month.toString(Qt::ISODate)})
        .toArray()
        .at(0)
        .toString();
}

Delta CiapApi::insertion(const QString& company, const QString& tax, const QString& registration,
                         const QString& competencia, double total, double taxed,
                         const QString& sequence) const {
    Delta d;
    d.fields = ciap::server::Packets::ciap();
    const QDate first =
        QDate::fromString(QStringLiteral("01/") + competencia, QStringLiteral("dd/MM/yyyy"));
    DeltaChange c;
    c.status = ciap::ChangeStatus::Inserted;
    c.newValues = {company,    tax,          competencia,
                   total,      taxed,        0.0,
                   0.0,        0.0,          QStringLiteral("P"),
                   QVariant(), first,        QVariant(),
                   QVariant(), registration, sequence};
    d.changes.append(c);
    return d;
}

QJsonObject CiapApi::apply(const Delta& delta) {
    return m_client.call(QStringLiteral("setCiap"), {ciap::deltaToJson(delta)});
}

QJsonObject CiapApi::create(const QString& company, const QString& tax, const QString& registration,
                            const QString& competencia, double total, double taxed) {
    const QDate first =
        QDate::fromString(QStringLiteral("01/") + competencia, QStringLiteral("dd/MM/yyyy"));
    const QString seq = newSequence(company, tax, first);
    return apply(insertion(company, tax, registration, competencia, total, taxed, seq));
}

DataPacket CiapApi::list(const QString& company, const QString& tax, const QString& registration) {
    return m_client.packet(QStringLiteral("getCIAP"),
                           {company, tax, QStringLiteral("2000-01-01"),
                            QStringLiteral("2100-12-31"), QStringLiteral("Apropriado"),
                            QStringLiteral("Pendente"), registration});
}

int CiapApi::find(const DataPacket& packet, const QString& competencia,
                  const QString& registration) {
    const int c = packet.indexOf(QStringLiteral("COMPETENCIA"));
    const int r = packet.indexOf(QStringLiteral("CDINSCESTA"));
    for (int i = 0; i < packet.rows.size(); ++i) {
        if (packet.rows.at(i).at(c).toString() == competencia &&
            (registration.isEmpty() || packet.rows.at(i).at(r).toString() == registration))
            return i;
    }
    return -1;
}

QVariant CiapApi::value(const DataPacket& packet, int row, const QString& field) {
    return packet.rows.at(row).at(packet.indexOf(field));
}

Delta CiapApi::modification(const DataPacket& packet, int row, const QVariantMap& changes) {
    Delta d;
    d.fields = packet.fields;
    DeltaChange c;
    c.status = ciap::ChangeStatus::Modified;
    c.oldValues = packet.rows.at(row);
    c.newValues = c.oldValues;
    for (auto it = changes.begin(); it != changes.end(); ++it)
        c.newValues[packet.indexOf(it.key())] = it.value();
    d.changes.append(c);
    return d;
}

Delta CiapApi::deletion(const DataPacket& packet, int row) {
    Delta d;
    d.fields = packet.fields;
    DeltaChange c;
    c.status = ciap::ChangeStatus::Deleted;
    c.oldValues = packet.rows.at(row);
    d.changes.append(c);
    return d;
}

QJsonArray CiapApi::key(const DataPacket& packet, int row) const {
    return {value(packet, row, QStringLiteral("COMPETENCIA")).toString(),
            value(packet, row, QStringLiteral("CDEMPRESA")).toString(),
            value(packet, row, QStringLiteral("CDIMPOSTO")).toString(),
            value(packet, row, QStringLiteral("NRSEQCIAP")).toString()};
}

QJsonObject CiapApi::load(const DataPacket& packet, int row, const QString& mode) {
    return m_client.call(QStringLiteral("CarregaImpostoNFBemParcela"),
                         {value(packet, row, QStringLiteral("COMPETENCIA")).toString(),
                          value(packet, row, QStringLiteral("CDEMPRESA")).toString(),
                          value(packet, row, QStringLiteral("CDIMPOSTO")).toString(),
                          value(packet, row, QStringLiteral("VRSALDOPARCCIAP")).toDouble(), mode,
                          value(packet, row, QStringLiteral("CDINSCESTA")).toString(),
                          value(packet, row, QStringLiteral("NRSEQCIAP")).toString()});
}

QString CiapApi::loaded(const QJsonObject& reply) {
    const QJsonArray rows = reply.value(QStringLiteral("result"))[QStringLiteral("rows")].toArray();
    return rows.at(0).toArray().at(0).toString();
}
