#include "DocumentMapping.h"

#include "AccessKey.h"

namespace ciap::server {

QString DocumentMapping::participantId(const documents::Party& party) {
    if (!party.cnpj.isEmpty())
        return party.cnpj;
    if (!party.cpf.isEmpty())
        return party.cpf;
    if (!party.foreignId.isEmpty())
        return QStringLiteral("EX") + party.foreignId;
    return {};
}

Participant DocumentMapping::participant(const documents::Party& party, const QDate& asOf) {
    Participant p;
    p.id = participantId(party);
    p.name = party.name;
    p.cnpj = party.cnpj;
    p.cpf = party.cpf;
    p.ie = party.stateRegistration;
    p.country = party.address.countryCode.isEmpty() && party.address.uf != QLatin1String("EX")
                    ? QStringLiteral("1058")
                    : party.address.countryCode;
    p.municipality = party.address.municipalityCode;
    p.municipalityName = party.address.municipality;
    p.uf = party.address.uf;
    p.street = party.address.street;
    p.number = party.address.number;
    p.complement = party.address.complement;
    p.district = party.address.district;
    p.asOf = asOf;
    return p;
}

qint64 DocumentMapping::quantity(const documents::Decimal& quantity) {
    qint64 units = quantity.units();
    int scale = quantity.scale();
    for (; scale < 5; ++scale)
        units *= 10;
    for (; scale > 5; --scale)
        units /= 10;
    return units;
}

QDate DocumentMapping::movementDate(const documents::NfeDocument& nfe) {
    return nfe.leftOrEnteredAt.isNull() ? nfe.issuedAt.localDate()
                                        : nfe.leftOrEnteredAt.localDate();
}

qint64 DocumentMapping::freightIcms(const documents::Icms& icms) {
    return icms.amount + icms.stRetainedAmount + icms.otherUfAmount;
}

QStringList DocumentMapping::quotedKeys(const QString& text) {
    QStringList keys;
    QString run;
    const auto scan = [&] {
        for (qsizetype at = 0; at + documents::AccessKey::Length <= run.size(); ++at) {
            const auto key = documents::AccessKey::fromString(
                QStringView(run).mid(at, documents::AccessKey::Length));
            if (key && !keys.contains(key->toString()))
                keys << key->toString();
        }
        run.clear();
    };
    for (QChar c : text) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
            run += c;
        else if (!c.isSpace() && c != QLatin1Char('.') && c != QLatin1Char('-') &&
                 c != QLatin1Char('/'))
            scan();
    }
    scan();
    return keys;
}

QString DocumentMapping::quantityText(qint64 quantity) {
    QString text = QString::number(quantity / QuantityScale);
    qint64 fraction = quantity % QuantityScale;
    if (fraction == 0)
        return text;
    QString digits = QStringLiteral("%1").arg(fraction, 5, 10, QLatin1Char('0'));
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    return text + QLatin1Char('.') + digits;
}

} // namespace ciap::server
