#pragma once

#include "Documents.h"
#include "RegisterRecords.h"

#include <QStringList>

namespace ciap::server {

// How the values of a document become the register's: plain conversions, no decisions.
class DocumentMapping final {
public:
    // The CNPJ, else the CPF, else "EX" and the foreign id; empty when the party names none.
    static QString participantId(const documents::Party& party);
    static Participant participant(const documents::Party& party, const QDate& asOf);
    // In QuantityScale units; the layout's four decimals always fit.
    static qint64 quantity(const documents::Decimal& quantity);
    // The day the goods left or entered (dhSaiEnt), else the issue (dhEmi), in the issuer's own
    // offset.
    static QDate movementDate(const documents::NfeDocument& nfe);
    // The ICMS of a CT-e the taker may credit: the carrier's own (ICMS00, 20, 90), the tax
    // substitution charged to the taker (ICMS60) or the ICMS due to another state
    // (ICMSOutraUF); a group holds one of them at most.
    static qint64 freightIcms(const documents::Icms& icms);
    // The access keys written in a free text (additional information), with or without blanks,
    // dots or dashes between their digits; only keys with a right check digit.
    static QStringList quotedKeys(const QString& text);
    // "1.5" for 150000.
    static QString quantityText(qint64 quantity);
};

} // namespace ciap::server
