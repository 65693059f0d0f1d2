#include "FieldReading.h"

namespace ciap::documents::detail {

namespace {

QString pathOf(const Element& parent, QStringView name) {
    const QString base = parent.path();
    return base.isEmpty() ? name.toString() : base + u'/' + name.toString();
}

bool allDigits(QStringView text) {
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return !text.isEmpty();
}

} // namespace

void refuse(Refusal code, const QString& text, const Element& at) {
    throw DocumentError(code, text, at.line());
}

Element required(const Element& parent, QStringView name) {
    const Element element = parent.child(name);
    if (element.isNull())
        refuse(Refusal::MissingElement,
               QStringLiteral("O elemento obrigatório %1 está ausente.").arg(pathOf(parent, name)),
               parent);
    return element;
}

QString requiredText(const Element& parent, QStringView name) {
    const QString text = required(parent, name).text();
    if (text.isEmpty())
        refuse(Refusal::MissingElement,
               QStringLiteral("O elemento obrigatório %1 está vazio.").arg(pathOf(parent, name)),
               parent.child(name));
    return text;
}

QString optionalText(const Element& parent, QStringView name) {
    return parent.child(name).text();
}

qint64 requiredInt(const Element& parent, QStringView name, int maxDigits) {
    const QString text = requiredText(parent, name);
    if (!allDigits(text) || text.size() > maxDigits)
        refuse(Refusal::BadNumber,
               QStringLiteral("O valor \"%1\" de %2 não é um número inteiro de até %3 dígitos.")
                   .arg(text, pathOf(parent, name))
                   .arg(maxDigits),
               parent.child(name));
    return text.toLongLong();
}

qint64 optionalInt(const Element& parent, QStringView name, int maxDigits, qint64 absent) {
    return parent.child(name).isNull() ? absent : requiredInt(parent, name, maxDigits);
}

int requiredCode(const Element& parent, QStringView name, std::initializer_list<int> allowed) {
    const qint64 value = requiredInt(parent, name, 6);
    for (int code : allowed)
        if (code == value)
            return code;
    refuse(Refusal::BadValue,
           QStringLiteral("O código %1 de %2 não é um valor previsto no leiaute.")
               .arg(value)
               .arg(pathOf(parent, name)),
           parent.child(name));
}

Cents centsOf(const Element& element) {
    const std::optional<Cents> value = centsFromString(element.text());
    if (!value)
        refuse(Refusal::BadNumber,
               QStringLiteral("O valor \"%1\" de %2 não é um valor monetário válido (sem sinal, "
                              "até duas casas decimais).")
                   .arg(element.text(), element.path()),
               element);
    return *value;
}

Cents requiredCents(const Element& parent, QStringView name) {
    requiredText(parent, name);
    return centsOf(parent.child(name));
}

Cents optionalCents(const Element& parent, QStringView name) {
    const Element element = parent.child(name);
    return element.isNull() ? 0 : centsOf(element);
}

Decimal decimalOf(const Element& element, int maxDecimals, int maxIntegerDigits) {
    const std::optional<Decimal> value =
        Decimal::fromString(element.text(), maxDecimals, maxIntegerDigits);
    if (!value)
        refuse(Refusal::BadNumber,
               QStringLiteral("O valor \"%1\" de %2 não é um número válido (sem sinal, até %3 "
                              "dígitos inteiros e %4 casas decimais).")
                   .arg(element.text(), element.path())
                   .arg(maxIntegerDigits)
                   .arg(maxDecimals),
               element);
    return *value;
}

Decimal requiredDecimal(const Element& parent, QStringView name, int maxDecimals,
                        int maxIntegerDigits) {
    requiredText(parent, name);
    return decimalOf(parent.child(name), maxDecimals, maxIntegerDigits);
}

DocumentDateTime optionalDateTime(const Element& parent, QStringView name) {
    const Element element = parent.child(name);
    if (element.isNull())
        return {};
    const std::optional<DocumentDateTime> value =
        DocumentDateTime::fromString(element.text(), false);
    if (!value)
        refuse(Refusal::BadValue,
               QStringLiteral("A data e hora \"%1\" de %2 não está no formato "
                              "AAAA-MM-DDThh:mm:ss-03:00.")
                   .arg(element.text(), element.path()),
               element);
    return *value;
}

DocumentDateTime requiredDateTime(const Element& parent, QStringView name) {
    requiredText(parent, name);
    const DocumentDateTime value = optionalDateTime(parent, name);
    // The issuer's offset decides the local date, so a date and time without one is refused.
    if (!value.hasOffset)
        refuse(Refusal::BadValue,
               QStringLiteral("A data e hora \"%1\" de %2 não tem o fuso horário (-03:00).")
                   .arg(parent.child(name).text(), pathOf(parent, name)),
               parent.child(name));
    return value;
}

AccessKey keyOf(const Element& element) {
    const std::optional<AccessKey> key = AccessKey::fromString(element.text());
    if (!key)
        refuse(Refusal::BadKey,
               QStringLiteral("A chave de acesso \"%1\" em %2 é inválida (44 posições com dígito "
                              "verificador correto).")
                   .arg(element.text(), element.path()),
               element);
    return *key;
}

AccessKey keyOfId(const Element& info, QStringView prefix) {
    const QString id = info.attribute(u"Id");
    if (id.isEmpty())
        refuse(Refusal::MissingElement,
               QStringLiteral("O atributo Id de %1 está ausente.").arg(info.path()), info);
    const std::optional<AccessKey> key =
        id.startsWith(prefix) ? AccessKey::fromString(QStringView(id).mid(prefix.size()))
                              : std::nullopt;
    if (!key)
        refuse(Refusal::BadKey,
               QStringLiteral("O Id \"%1\" de %2 não é \"%3\" seguido de uma chave de acesso "
                              "válida.")
                   .arg(id, info.path(), prefix),
               info);
    return *key;
}

Party readParty(const Element& element, QStringView addressName) {
    Party party;
    party.cnpj = optionalText(element, u"CNPJ");
    party.cpf = optionalText(element, u"CPF");
    party.foreignId = optionalText(element, u"idEstrangeiro");
    party.name = optionalText(element, u"xNome");
    party.tradeName = optionalText(element, u"xFant");
    party.stateRegistration = optionalText(element, u"IE");
    party.ieIndicator = int(optionalInt(element, u"indIEDest", 1, 0));
    party.taxRegime = int(optionalInt(element, u"CRT", 1, 0));
    const Element address = element.child(addressName);
    party.address.street = optionalText(address, u"xLgr");
    party.address.number = optionalText(address, u"nro");
    party.address.complement = optionalText(address, u"xCpl");
    party.address.district = optionalText(address, u"xBairro");
    party.address.municipalityCode = optionalText(address, u"cMun");
    party.address.municipality = optionalText(address, u"xMun");
    party.address.uf = optionalText(address, u"UF");
    party.address.postalCode = optionalText(address, u"CEP");
    party.address.countryCode = optionalText(address, u"cPais");
    party.address.country = optionalText(address, u"xPais");
    return party;
}

Icms readIcms(const Element& group) {
    static const std::pair<const char16_t*, Cents Icms::*> centsFields[] = {
        {u"vBC", &Icms::base},
        {u"vICMS", &Icms::amount},
        {u"vICMSOp", &Icms::operationAmount},
        {u"vICMSDif", &Icms::deferredAmount},
        {u"vICMSDeson", &Icms::relievedAmount},
        {u"vBCST", &Icms::stBase},
        {u"vICMSST", &Icms::stAmount},
        {u"vBCSTRet", &Icms::stRetainedBase},
        {u"vICMSSTRet", &Icms::stRetainedAmount},
        {u"vICMSSubstituto", &Icms::substituteAmount},
        {u"vFCP", &Icms::fcpAmount},
        {u"vFCPST", &Icms::fcpStAmount},
        {u"vFCPSTRet", &Icms::fcpStRetainedAmount},
        {u"vCredICMSSN", &Icms::snCreditAmount},
        {u"vCred", &Icms::creditAmount},
        {u"vBCOutraUF", &Icms::otherUfBase},
        {u"vICMSOutraUF", &Icms::otherUfAmount},
    };
    static const std::pair<const char16_t*, Decimal Icms::*> rateFields[] = {
        {u"pICMS", &Icms::rate},
        {u"pRedBC", &Icms::baseReduction},
        {u"pICMSST", &Icms::stRate},
        {u"pST", &Icms::stRetainedRate},
        {u"pICMSSTRet", &Icms::stRetainedRate},
        {u"pCredSN", &Icms::snCreditRate},
        {u"pICMSOutraUF", &Icms::otherUfRate},
    };

    Icms icms;
    icms.group = group.name();
    for (const Element& field : group.children()) {
        const QString name = field.name();
        for (const auto& [tag, member] : centsFields)
            if (name == QStringView(tag))
                icms.*member = centsOf(field);
        for (const auto& [tag, member] : rateFields)
            if (name == QStringView(tag))
                icms.*member = decimalOf(field, 4, 3);
    }
    if (!group.child(u"orig").isNull())
        icms.origin = int(requiredCode(group, u"orig", {0, 1, 2, 3, 4, 5, 6, 7, 8}));
    if (!group.child(u"CSOSN").isNull())
        icms.csosn = QString::number(requiredInt(group, u"CSOSN", 3));
    else
        icms.cst = QStringLiteral("%1").arg(requiredInt(group, u"CST", 2), 2, 10, QChar(u'0'));
    return icms;
}

Authorisation readAuthorisation(const Element& info, QStringView keyName) {
    Authorisation result;
    result.environment = requiredCode(info, u"tpAmb", {1, 2});
    if (!info.child(keyName).isNull())
        result.key = keyOf(info.child(keyName));
    result.receivedAt = optionalDateTime(info, u"dhRecbto");
    if (result.receivedAt.isNull())
        result.receivedAt = optionalDateTime(info, u"dhRegEvento");
    result.protocolNumber = optionalText(info, u"nProt");
    result.status = int(requiredInt(info, u"cStat", 3));
    result.reason = optionalText(info, u"xMotivo");
    return result;
}

void checkKeyMatches(const AccessKey& key, const KeyFields& fields, const Element& at) {
    const QString issuer =
        fields.issuerCnpj.isEmpty() ? QStringLiteral("000") + fields.issuerCpf : fields.issuerCnpj;
    const struct {
        const char* field;
        QString inKey;
        QString inDocument;
    } parts[] = {
        {"cUF", QString::number(key.uf()), QString::number(fields.uf)},
        {"ano e mês de dhEmi", QStringLiteral("%1-%2").arg(key.year()).arg(key.month()),
         QStringLiteral("%1-%2").arg(fields.issued.year()).arg(fields.issued.month())},
        {"CNPJ/CPF do emitente", key.issuerId(), issuer},
        {"mod", QString::number(key.model()), QString::number(fields.model)},
        {"serie", QString::number(key.series()), QString::number(fields.series)},
        {"número", QString::number(key.documentNumber()), QString::number(fields.number)},
        {"tpEmis", QString::number(key.emissionType()), QString::number(fields.emissionType)},
        {"código numérico", key.code(), fields.code.rightJustified(8, u'0')},
        {"cDV", QString::number(key.checkDigit()), QString::number(fields.checkDigit)},
    };
    for (const auto& part : parts)
        if (part.inKey != part.inDocument)
            refuse(Refusal::KeyMismatch,
                   QStringLiteral("A chave de acesso %1 não corresponde ao documento: %2 é %3 na "
                                  "chave e %4 no documento.")
                       .arg(key.toString(), QString::fromUtf8(part.field), part.inKey,
                            part.inDocument),
                   at);
}

void refuseTestEnvironment(int environment, const Element& at, const QString& what) {
    if (environment == 2)
        refuse(Refusal::TestEnvironment,
               QStringLiteral("%1 é do ambiente de homologação (tpAmb 2), sem valor fiscal.")
                   .arg(what),
               at);
}

} // namespace ciap::documents::detail
