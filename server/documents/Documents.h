#pragma once

#include "AccessKey.h"
#include "Decimal.h"
#include "DocumentDateTime.h"

#include <QList>
#include <QString>
#include <optional>

// What the reader gives for each kind of document: the values as the document states them,
// in plain structs. Money is in cents, quantities and rates are exact decimals, dates keep the
// issuer's own offset. Values the document leaves out are empty strings, zero cents or a null
// date. Each member names the layout's tag it comes from.
namespace ciap::documents {

struct Address {
    QString street;           // xLgr
    QString number;           // nro
    QString complement;       // xCpl
    QString district;         // xBairro
    QString municipalityCode; // cMun (IBGE, 7 digits; 9999999 abroad)
    QString municipality;     // xMun
    QString uf;               // UF ("EX" abroad)
    QString postalCode;       // CEP
    QString countryCode;      // cPais
    QString country;          // xPais
};

struct Party {
    QString cnpj;              // CNPJ (14 positions; letters allowed in the first 12)
    QString cpf;               // CPF
    QString foreignId;         // idEstrangeiro (NF-e recipient abroad)
    QString name;              // xNome
    QString tradeName;         // xFant
    QString stateRegistration; // IE ("ISENTO" where the document says so)
    int ieIndicator = 0;       // indIEDest of the NF-e recipient: 1, 2 or 9; 0 when absent
    int taxRegime = 0;         // CRT of the emitter: 1 Simples Nacional ... 4; 0 when absent
    Address address;

    // CNPJ, else CPF, else the foreign id.
    QString id() const;
};

// The ICMS of an NF-e item or of a CT-e, from whichever group the document uses. An NF-e item
// without an ICMS group (a service item under ISSQN) leaves group empty and every value zero.
struct Icms {
    QString group;                 // "ICMS00", "ICMS60", "ICMSSN102", "ICMSOutraUF", ...
    int origin = -1;               // orig (NF-e); -1 on a CT-e
    QString cst;                   // CST (empty for Simples Nacional NF-e groups)
    QString csosn;                 // CSOSN (ICMSSN groups of the NF-e)
    Cents base = 0;                // vBC
    Decimal rate;                  // pICMS
    Decimal baseReduction;         // pRedBC
    Cents amount = 0;              // vICMS
    Cents operationAmount = 0;     // vICMSOp (deferral, ICMS51)
    Cents deferredAmount = 0;      // vICMSDif
    Cents relievedAmount = 0;      // vICMSDeson
    Cents stBase = 0;              // vBCST
    Decimal stRate;                // pICMSST
    Cents stAmount = 0;            // vICMSST
    Cents stRetainedBase = 0;      // vBCSTRet (ST charged at an earlier stage)
    Decimal stRetainedRate;        // pST (NF-e) / pICMSSTRet (CT-e)
    Cents stRetainedAmount = 0;    // vICMSSTRet
    Cents substituteAmount = 0;    // vICMSSubstituto
    Cents fcpAmount = 0;           // vFCP
    Cents fcpStAmount = 0;         // vFCPST
    Cents fcpStRetainedAmount = 0; // vFCPSTRet
    Decimal snCreditRate;          // pCredSN
    Cents snCreditAmount = 0;      // vCredICMSSN
    Cents creditAmount = 0;        // vCred (CT-e ICMS60/ICMS90: credit granted to the carrier)
    Cents otherUfBase = 0;         // vBCOutraUF (CT-e: ICMS due to another state)
    Decimal otherUfRate;           // pICMSOutraUF
    Cents otherUfAmount = 0;       // vICMSOutraUF
};

// The authorisation (protNFe/protCTe) or the registration of an event (retEvento).
struct Authorisation {
    int environment = 0;         // tpAmb
    AccessKey key;               // chNFe / chCTe (null on an event answer without it)
    DocumentDateTime receivedAt; // dhRecbto / dhRegEvento
    QString protocolNumber;      // nProt
    int status = 0;              // cStat
    QString reason;              // xMotivo
};

struct NfeItem {
    int number = 0;           // nItem
    QString productCode;      // cProd
    QString description;      // xProd
    QString ncm;              // NCM
    QString cest;             // CEST
    int cfop = 0;             // CFOP, the issuer's (5.101 is 5101)
    QString unit;             // uCom
    Decimal quantity;         // qCom, up to 4 decimals
    Decimal unitValue;        // vUnCom, up to 10 decimals
    Cents totalValue = 0;     // vProd
    Cents freight = 0;        // vFrete
    Cents insurance = 0;      // vSeg
    Cents discount = 0;       // vDesc
    Cents otherCharges = 0;   // vOutro
    Cents ipiAmount = 0;      // imposto/IPI/IPITrib/vIPI
    Icms icms;                // imposto/ICMS/<group>
    Cents difalAmount = 0;    // imposto/ICMSUFDest/vICMSUFDest (sales to non-contributors)
    Cents difalFcpAmount = 0; // imposto/ICMSUFDest/vFCPUFDest
    QString additionalInfo;   // infAdProd
};

struct NfeTotals {           // total/ICMSTot
    Cents icmsBase = 0;      // vBC
    Cents icms = 0;          // vICMS
    Cents icmsRelieved = 0;  // vICMSDeson
    Cents fcp = 0;           // vFCP
    Cents stBase = 0;        // vBCST
    Cents st = 0;            // vST
    Cents fcpSt = 0;         // vFCPST
    Cents fcpStRetained = 0; // vFCPSTRet
    Cents products = 0;      // vProd
    Cents freight = 0;       // vFrete
    Cents insurance = 0;     // vSeg
    Cents discount = 0;      // vDesc
    Cents importTax = 0;     // vII
    Cents ipi = 0;           // vIPI
    Cents ipiReturned = 0;   // vIPIDevol
    Cents pis = 0;           // vPIS
    Cents cofins = 0;        // vCOFINS
    Cents otherCharges = 0;  // vOutro
    Cents invoice = 0;       // vNF
};

// A processed NF-e (nfeProc 4.00), model 55 or 65.
struct NfeDocument {
    AccessKey key;                      // infNFe/@Id without "NFe"
    int ufCode = 0;                     // cUF
    QString operationNature;            // natOp
    int model = 0;                      // mod: 55 NF-e, 65 NFC-e
    int series = 0;                     // serie
    qint64 number = 0;                  // nNF
    DocumentDateTime issuedAt;          // dhEmi
    DocumentDateTime leftOrEnteredAt;   // dhSaiEnt (null when absent)
    int direction = 0;                  // tpNF: 0 entry, 1 exit
    int destination = 0;                // idDest: 1 internal, 2 interstate, 3 abroad
    int emissionType = 0;               // tpEmis
    int environment = 0;                // tpAmb (always 1 once read)
    int purpose = 0;                    // finNFe: 1 normal, 2 complement, 3 adjustment, 4 return
    QList<AccessKey> referencedNfeKeys; // NFref/refNFe and refNFeSig
    QList<AccessKey> referencedCteKeys; // NFref/refCTe
    Party emitter;                      // emit
    std::optional<Party> recipient;     // dest
    QList<NfeItem> items;               // det, in document order
    NfeTotals totals;
    int freightMode = -1;        // transp/modFrete: 0 CIF ... 9 none
    QString additionalInfo;      // infAdic/infCpl
    QString fiscoInfo;           // infAdic/infAdFisco
    Authorisation authorisation; // protNFe/infProt

    // An NFC-e (consumer invoice, model 65): read like an NF-e, but not an asset purchase
    // document; the importer decides what to do with it.
    bool isConsumerInvoice() const { return model == 65; }
};

// Who takes (pays for) the service of a CT-e.
struct CteTaker {
    int role = -1; // toma: 0 sender, 1 shipper, 2 receiver, 3 recipient, 4 another party
    Party party;   // the party named by the role, or toma4's own data
};

// A processed CT-e (cteProc 3.00 or 4.00), model 57.
struct CteDocument {
    QString version;              // "3.00" or "4.00"
    AccessKey key;                // infCte/@Id without "CTe"
    int ufCode = 0;               // cUF
    int cfop = 0;                 // CFOP, the carrier's (5.353 is 5353)
    QString operationNature;      // natOp
    int model = 0;                // mod (57)
    int series = 0;               // serie
    qint64 number = 0;            // nCT
    DocumentDateTime issuedAt;    // dhEmi
    int emissionType = 0;         // tpEmis
    int environment = 0;          // tpAmb (always 1 once read)
    int cteType = 0;              // tpCTe: 0 normal, 1 complement, 2 annulment (3.00), 3 substitute
    int modal = 0;                // modal: 01 road ... 06 multimodal
    int serviceType = 0;          // tpServ
    QString startUf;              // UFIni
    QString endUf;                // UFFim
    Party emitter;                // emit
    std::optional<Party> sender;  // rem
    std::optional<Party> shipper; // exped
    std::optional<Party> receiver;      // receb
    std::optional<Party> recipient;     // dest
    CteTaker taker;                     // ide/toma3 or ide/toma4
    Cents serviceTotal = 0;             // vPrest/vTPrest
    Cents receivable = 0;               // vPrest/vRec
    Icms icms;                          // imp/ICMS/<group>
    QList<AccessKey> nfeKeys;           // infCTeNorm/infDoc/infNFe/chave
    QList<AccessKey> referencedCteKeys; // infCteComp/chCTe, infCteAnu/chCte
    Authorisation authorisation;        // protCTe/infProt
};

// The cancellation of an NF-e (procEventoNFe, event 110111).
struct NfeCancellation {
    AccessKey nfeKey;           // infEvento/chNFe: the cancelled NF-e
    int eventType = 0;          // tpEvento (110111)
    int sequence = 0;           // nSeqEvento
    int environment = 0;        // tpAmb (always 1 once read)
    int authority = 0;          // cOrgao
    QString authorCnpj;         // CNPJ
    QString authorCpf;          // CPF
    DocumentDateTime eventAt;   // dhEvento
    QString invoiceProtocol;    // detEvento/nProt: the authorisation being cancelled
    QString justification;      // detEvento/xJust
    Authorisation registration; // retEvento/infEvento: status 135, 136 or 155

    // 136 registers the event without linking it to the NF-e.
    bool linkedToInvoice() const { return registration.status != 136; }
};

} // namespace ciap::documents
