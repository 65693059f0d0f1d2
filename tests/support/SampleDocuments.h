#pragma once

#include <QByteArray>
#include <QString>

// The reader's sample documents (tests/documents/data) and variants of them made the way a
// test needs: another number under a key of its own, another text somewhere.
namespace samples {

// The company of the samples: the recipient of the supplier's NF-e and the CT-e, the issuer of
// its own entry and of the outgoing NF-e.
inline const QString Cnpj = QStringLiteral("12345678000195");
inline const QString Registration = QStringLiteral("244123456119");
// The customer of the outgoing sample, as a second establishment where a test needs one.
inline const QString CustomerCnpj = QStringLiteral("55566677000183");
inline const QString CustomerRegistration = QStringLiteral("110987654113");

inline const QString Supplier = QStringLiteral("nfe_supplier_interstate.xml");
inline const QString OwnEntry = QStringLiteral("nfe_import_entry.xml");
inline const QString Outgoing = QStringLiteral("nfe_outgoing_mixed.xml");
inline const QString Cancellation = QStringLiteral("event_cancellation.xml");
inline const QString SupplierFreight = QStringLiteral("cte_v4_toma3.xml"); // names Supplier
inline const QString OwnEntryFreight = QStringLiteral("cte_v3_toma4.xml"); // names OwnEntry

QString path(const QString& name);
QByteArray read(const QString& name);
// The 44 positions of the document's own key (infNFe/@Id, infCte/@Id).
QString keyOf(const QByteArray& xml);
// The document under number `number` (nNF or nCT), with a key of its own wherever the old one
// was written.
QByteArray renumbered(const QByteArray& xml, qint64 number);
// An outgoing NF-e of the sample company, with one item of the given CFOP, product code,
// quantity and additional information.
QByteArray outgoingItem(qint64 number, const QString& cfop, const QString& productCode,
                        const QString& quantity, const QString& information);

} // namespace samples
