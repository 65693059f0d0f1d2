#include "FieldReading.h"
#include "Readers.h"

namespace ciap::documents::detail {

namespace {

std::optional<Party> optionalParty(const Element& info, QStringView name, QStringView addressName) {
    const Element element = info.child(name);
    if (element.isNull())
        return std::nullopt;
    return readParty(element, addressName);
}

CteTaker readTaker(const Element& ide, const CteDocument& cte) {
    CteTaker taker;
    if (const Element toma4 = ide.child(u"toma4"); !toma4.isNull()) {
        taker.role = requiredCode(toma4, u"toma", {4});
        taker.party = readParty(toma4, u"enderToma");
        return taker;
    }
    const Element toma3 = required(ide, u"toma3");
    taker.role = requiredCode(toma3, u"toma", {0, 1, 2, 3});
    static const char* const roles[] = {"remetente (rem)", "expedidor (exped)", "recebedor (receb)",
                                        "destinatário (dest)"};
    const std::optional<Party>* const parties[] = {&cte.sender, &cte.shipper, &cte.receiver,
                                                   &cte.recipient};
    const std::optional<Party>& party = *parties[taker.role];
    if (!party)
        refuse(Refusal::MissingElement,
               QStringLiteral("O tomador do CT-e é o %1, que o CT-e não informa.")
                   .arg(QString::fromUtf8(roles[taker.role])),
               toma3);
    taker.party = *party;
    return taker;
}

void readDocumentKeys(const Element& info, CteDocument& cte) {
    const Element infDoc = info.child(u"infCTeNorm").child(u"infDoc");
    for (const Element& nfe : infDoc.children(u"infNFe"))
        cte.nfeKeys.append(keyOf(required(nfe, u"chave")));
    for (const Element& complement : info.children(u"infCteComp"))
        cte.referencedCteKeys.append(keyOf(required(complement, u"chCTe")));
    if (const Element annulment = info.child(u"infCteAnu"); !annulment.isNull())
        cte.referencedCteKeys.append(keyOf(required(annulment, u"chCte")));
}

} // namespace

CteDocument readCte(const Element& cteProc) {
    CteDocument cte;
    cte.version = cteProc.attribute(u"versao");
    const Element info = required(required(cteProc, u"CTe"), u"infCte");
    if ((cte.version != u"3.00" && cte.version != u"4.00") ||
        info.attribute(u"versao") != cte.version)
        refuse(Refusal::UnsupportedVersion,
               QStringLiteral("CT-e na versão \"%1\" do leiaute; são lidas as versões 3.00 e "
                              "4.00.")
                   .arg(cte.version),
               cteProc);

    cte.key = keyOfId(info, u"CTe");
    const Element ide = required(info, u"ide");
    cte.ufCode = int(requiredInt(ide, u"cUF", 2));
    const QString code = requiredText(ide, u"cCT");
    cte.cfop = int(requiredInt(ide, u"CFOP", 4));
    cte.operationNature = requiredText(ide, u"natOp");
    cte.model = requiredCode(ide, u"mod", {57});
    cte.series = int(requiredInt(ide, u"serie", 3));
    cte.number = requiredInt(ide, u"nCT", 9);
    cte.issuedAt = requiredDateTime(ide, u"dhEmi");
    cte.emissionType = requiredCode(ide, u"tpEmis", {1, 3, 4, 5, 7, 8});
    const int checkDigit = int(requiredInt(ide, u"cDV", 1));
    cte.environment = requiredCode(ide, u"tpAmb", {1, 2});
    cte.cteType = requiredCode(ide, u"tpCTe", {0, 1, 2, 3});
    cte.modal = int(requiredInt(ide, u"modal", 2));
    cte.serviceType = int(requiredInt(ide, u"tpServ", 1));
    cte.startUf = requiredText(ide, u"UFIni");
    cte.endUf = requiredText(ide, u"UFFim");

    cte.emitter = readParty(required(info, u"emit"), u"enderEmit");
    if (cte.emitter.cnpj.isEmpty() && cte.emitter.cpf.isEmpty())
        refuse(Refusal::MissingElement, QStringLiteral("O emitente do CT-e não tem CNPJ nem CPF."),
               info.child(u"emit"));
    cte.sender = optionalParty(info, u"rem", u"enderReme");
    cte.shipper = optionalParty(info, u"exped", u"enderExped");
    cte.receiver = optionalParty(info, u"receb", u"enderReceb");
    cte.recipient = optionalParty(info, u"dest", u"enderDest");

    checkKeyMatches(cte.key,
                    {cte.ufCode, cte.issuedAt.localDate(), cte.emitter.cnpj, cte.emitter.cpf,
                     cte.model, cte.series, cte.number, cte.emissionType, code, checkDigit},
                    ide);
    refuseTestEnvironment(cte.environment, ide,
                          QStringLiteral("O CT-e %1").arg(cte.key.toString()));
    cte.taker = readTaker(ide, cte);

    const Element prest = required(info, u"vPrest");
    cte.serviceTotal = requiredCents(prest, u"vTPrest");
    cte.receivable = requiredCents(prest, u"vRec");
    const QList<Element> groups = required(required(info, u"imp"), u"ICMS").children();
    if (groups.size() != 1)
        refuse(Refusal::MissingElement,
               QStringLiteral("imp/ICMS do CT-e deve ter exatamente um grupo de ICMS."), info);
    cte.icms = readIcms(groups.first());
    readDocumentKeys(info, cte);

    const Element protocol = cteProc.child(u"protCTe").child(u"infProt");
    if (protocol.isNull())
        refuse(Refusal::NotAuthorised,
               QStringLiteral("O CT-e %1 não tem protocolo de autorização (protCTe).")
                   .arg(cte.key.toString()),
               cteProc);
    requiredText(protocol, u"chCTe");
    cte.authorisation = readAuthorisation(protocol, u"chCTe");
    if (cte.authorisation.key != cte.key)
        refuse(Refusal::KeyMismatch,
               QStringLiteral("O protocolo é da chave %1, não do CT-e %2.")
                   .arg(cte.authorisation.key.toString(), cte.key.toString()),
               protocol);
    refuseTestEnvironment(cte.authorisation.environment, protocol,
                          QStringLiteral("O protocolo do CT-e %1").arg(cte.key.toString()));
    if (cte.authorisation.status != 100 && cte.authorisation.status != 150)
        refuse(Refusal::NotAuthorised,
               QStringLiteral("O CT-e %1 não está autorizado: situação %2 (%3).")
                   .arg(cte.key.toString())
                   .arg(cte.authorisation.status)
                   .arg(cte.authorisation.reason),
               protocol);
    return cte;
}

} // namespace ciap::documents::detail
