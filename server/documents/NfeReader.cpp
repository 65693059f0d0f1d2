#include "FieldReading.h"
#include "Readers.h"

namespace ciap::documents::detail {

namespace {

NfeItem readItem(const Element& det) {
    NfeItem item;
    const QString number = det.attribute(u"nItem");
    bool ok = false;
    item.number = number.toInt(&ok);
    if (!ok || item.number < 1 || item.number > 990)
        refuse(Refusal::BadNumber,
               QStringLiteral("O atributo nItem \"%1\" de %2 não é um número de 1 a 990.")
                   .arg(number, det.path()),
               det);

    const Element prod = required(det, u"prod");
    item.productCode = requiredText(prod, u"cProd");
    item.description = requiredText(prod, u"xProd");
    item.ncm = requiredText(prod, u"NCM");
    item.cest = optionalText(prod, u"CEST");
    item.cfop = int(requiredInt(prod, u"CFOP", 4));
    item.unit = requiredText(prod, u"uCom");
    item.quantity = requiredDecimal(prod, u"qCom", 4, 11);
    item.unitValue = requiredDecimal(prod, u"vUnCom", 10, 11);
    item.totalValue = requiredCents(prod, u"vProd");
    item.freight = optionalCents(prod, u"vFrete");
    item.insurance = optionalCents(prod, u"vSeg");
    item.discount = optionalCents(prod, u"vDesc");
    item.otherCharges = optionalCents(prod, u"vOutro");
    item.additionalInfo = optionalText(det, u"infAdProd");

    const Element imposto = required(det, u"imposto");
    item.ipiAmount = optionalCents(imposto.child(u"IPI").child(u"IPITrib"), u"vIPI");
    const Element difal = imposto.child(u"ICMSUFDest");
    item.difalAmount = optionalCents(difal, u"vICMSUFDest");
    item.difalFcpAmount = optionalCents(difal, u"vFCPUFDest");
    // A service item (ISSQN) has no ICMS group; every goods item has exactly one.
    const Element icms = imposto.child(u"ICMS");
    if (!icms.isNull()) {
        const QList<Element> groups = icms.children();
        if (groups.size() != 1)
            refuse(Refusal::MissingElement,
                   QStringLiteral("%1 deve ter exatamente um grupo de ICMS.").arg(icms.path()),
                   icms);
        item.icms = readIcms(groups.first());
    }
    return item;
}

NfeTotals readTotals(const Element& total) {
    const Element tot = required(total, u"ICMSTot");
    NfeTotals totals;
    totals.icmsBase = requiredCents(tot, u"vBC");
    totals.icms = requiredCents(tot, u"vICMS");
    totals.icmsRelieved = optionalCents(tot, u"vICMSDeson");
    totals.fcp = optionalCents(tot, u"vFCP");
    totals.stBase = requiredCents(tot, u"vBCST");
    totals.st = requiredCents(tot, u"vST");
    totals.fcpSt = optionalCents(tot, u"vFCPST");
    totals.fcpStRetained = optionalCents(tot, u"vFCPSTRet");
    totals.products = requiredCents(tot, u"vProd");
    totals.freight = optionalCents(tot, u"vFrete");
    totals.insurance = optionalCents(tot, u"vSeg");
    totals.discount = optionalCents(tot, u"vDesc");
    totals.importTax = optionalCents(tot, u"vII");
    totals.ipi = optionalCents(tot, u"vIPI");
    totals.ipiReturned = optionalCents(tot, u"vIPIDevol");
    totals.pis = optionalCents(tot, u"vPIS");
    totals.cofins = optionalCents(tot, u"vCOFINS");
    totals.otherCharges = optionalCents(tot, u"vOutro");
    totals.invoice = requiredCents(tot, u"vNF");
    return totals;
}

void readReferences(const Element& ide, NfeDocument& nfe) {
    for (const Element& ref : ide.children(u"NFref")) {
        for (const Element& key : ref.children())
            if (key.name() == u"refNFe" || key.name() == u"refNFeSig")
                nfe.referencedNfeKeys.append(keyOf(key));
            else if (key.name() == u"refCTe")
                nfe.referencedCteKeys.append(keyOf(key));
    }
}

} // namespace

NfeDocument readNfe(const Element& nfeProc) {
    const QString version = nfeProc.attribute(u"versao");
    const Element info = required(required(nfeProc, u"NFe"), u"infNFe");
    if (version != u"4.00" || info.attribute(u"versao") != u"4.00")
        refuse(Refusal::UnsupportedVersion,
               QStringLiteral("NF-e na versão \"%1\" do leiaute; só a versão 4.00 é lida.")
                   .arg(version != u"4.00" ? version : info.attribute(u"versao")),
               nfeProc);

    NfeDocument nfe;
    nfe.key = keyOfId(info, u"NFe");
    const Element ide = required(info, u"ide");
    nfe.ufCode = int(requiredInt(ide, u"cUF", 2));
    const QString code = requiredText(ide, u"cNF");
    nfe.operationNature = requiredText(ide, u"natOp");
    nfe.model = requiredCode(ide, u"mod", {55, 65});
    nfe.series = int(requiredInt(ide, u"serie", 3));
    nfe.number = requiredInt(ide, u"nNF", 9);
    nfe.issuedAt = requiredDateTime(ide, u"dhEmi");
    nfe.leftOrEnteredAt = optionalDateTime(ide, u"dhSaiEnt");
    nfe.direction = requiredCode(ide, u"tpNF", {0, 1});
    nfe.destination = requiredCode(ide, u"idDest", {1, 2, 3});
    nfe.emissionType = requiredCode(ide, u"tpEmis", {1, 2, 3, 4, 5, 6, 7, 9});
    const int checkDigit = int(requiredInt(ide, u"cDV", 1));
    nfe.environment = requiredCode(ide, u"tpAmb", {1, 2});
    nfe.purpose = requiredCode(ide, u"finNFe", {1, 2, 3, 4});
    readReferences(ide, nfe);

    nfe.emitter = readParty(required(info, u"emit"), u"enderEmit");
    if (nfe.emitter.cnpj.isEmpty() && nfe.emitter.cpf.isEmpty())
        refuse(Refusal::MissingElement, QStringLiteral("O emitente da NF-e não tem CNPJ nem CPF."),
               info.child(u"emit"));
    if (const Element dest = info.child(u"dest"); !dest.isNull())
        nfe.recipient = readParty(dest, u"enderDest");

    checkKeyMatches(nfe.key,
                    {nfe.ufCode, nfe.issuedAt.localDate(), nfe.emitter.cnpj, nfe.emitter.cpf,
                     nfe.model, nfe.series, nfe.number, nfe.emissionType, code, checkDigit},
                    ide);
    refuseTestEnvironment(nfe.environment, ide,
                          QStringLiteral("A NF-e %1").arg(nfe.key.toString()));

    const QList<Element> items = info.children(u"det");
    if (items.isEmpty())
        required(info, u"det");
    for (const Element& det : items)
        nfe.items.append(readItem(det));
    nfe.totals = readTotals(required(info, u"total"));
    nfe.freightMode = int(optionalInt(info.child(u"transp"), u"modFrete", 1, -1));
    nfe.additionalInfo = optionalText(info.child(u"infAdic"), u"infCpl");
    nfe.fiscoInfo = optionalText(info.child(u"infAdic"), u"infAdFisco");

    const Element protocol = nfeProc.child(u"protNFe").child(u"infProt");
    if (protocol.isNull())
        refuse(Refusal::NotAuthorised,
               QStringLiteral("A NF-e %1 não tem protocolo de autorização (protNFe).")
                   .arg(nfe.key.toString()),
               nfeProc);
    requiredText(protocol, u"chNFe");
    nfe.authorisation = readAuthorisation(protocol, u"chNFe");
    if (nfe.authorisation.key != nfe.key)
        refuse(Refusal::KeyMismatch,
               QStringLiteral("O protocolo é da chave %1, não da NF-e %2.")
                   .arg(nfe.authorisation.key.toString(), nfe.key.toString()),
               protocol);
    refuseTestEnvironment(nfe.authorisation.environment, protocol,
                          QStringLiteral("O protocolo da NF-e %1").arg(nfe.key.toString()));
    // 100 authorised, 150 authorised out of time; anything else (denied, rejected) is no NF-e.
    if (nfe.authorisation.status != 100 && nfe.authorisation.status != 150)
        refuse(Refusal::NotAuthorised,
               QStringLiteral("A NF-e %1 não está autorizada: situação %2 (%3).")
                   .arg(nfe.key.toString())
                   .arg(nfe.authorisation.status)
                   .arg(nfe.authorisation.reason),
               protocol);
    return nfe;
}

} // namespace ciap::documents::detail
