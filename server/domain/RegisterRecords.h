#pragma once

#include "AssetRecord.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace ciap::server {

// Quantities are kept exact in hundred-thousandths of a unit, the tax file's five decimals
// (EFD G140 QTDE): 1.5 is 150000.
constexpr qint64 QuantityScale = 100000;

// A state registration (an establishment) of a company, as documents are matched to it.
struct Registration {
    QString company;      // CDEMPRESA
    QString code;         // CDINSCESTA: the state registration as the company writes it
    QString cnpj;         // NRCNPJ
    QString uf;           // SGUF
    QString municipality; // CDMUNICIPIO, IBGE, seven digits
    int instalments = 48; // UFCIAP.NRPARCELAS of its state; 48 when the state has no row
};

// The other party of a document the register keeps (EFD 0150): the supplier of an entry, the
// buyer of an exit, the carrier of a freight.
struct Participant {
    QString id; // CDPARTICIPANTE: the CNPJ, the CPF or "EX" and the foreign id
    QString name;
    QString cnpj;
    QString cpf;
    QString ie;
    QString country; // BACEN code, "1058" for Brazil
    QString municipality;
    QString municipalityName;
    QString uf;
    QString street;
    QString number;
    QString complement;
    QString district;
    QDate asOf; // the date of the document the data was read from
};

// The document of an asset's entry or exit and its item (EFD G130 and G140).
struct AssetDocument {
    bool own = false;    // issued by the company itself (IND_EMIT 0)
    QString participant; // CDPARTICIPANTE
    QString model;       // "55", "57", "01", ...
    QString series;
    QString number;
    QString key; // 44 positions; empty for a paper document
    QDate date;
    QString paymentDocument; // the state's collection document of the rate differential
    int item = 0;            // 0 when not known
    QString productCode;     // cProd, as the issuer codes it
    QString productDescription;
    qint64 quantity = 0; // applied to this asset, in QuantityScale units
};

// What the tax file needs of an asset besides its figures (EFD 0200, 0300, 0305).
struct AssetDetails {
    bool component = false; // a component of another asset (IDENT_MERC 2)
    QString mainAsset;      // the asset it is a component of
    QString account;        // COD_CTA
    QString costCentre;     // COD_CCUS
    QString function;       // FUNC
    int usefulLife = 0;     // VIDA_UTIL in months, 0 while unknown
    QString item;           // COD_ITEM, the company's own code for it
    QString unit;
    // How it entered the CIAP (EFD G125 TIPO_MOV of its first month): "MC" from the company's
    // stock, "CI" built of its components, "IM" or "IA" said outright; empty for what its
    // type says (IM an asset, IA a component).
    QString origin;
    // An interstate entry: the rate differential the buyer paid is never in the XML and waits
    // for the amount and its payment document.
    bool difalPending = false;
};

// An asset of the register with everything the register keeps of it.
struct RegisterAsset {
    QString company;
    AssetRecord record;
    AssetDetails details;
    std::optional<AssetDocument> entry;
    std::optional<AssetDocument> exit;
};

// An asset loaded into a competência, with everything the register keeps of it now.
struct MonthAsset {
    RegisterAsset asset;
    qint64 instalmentCents = 0;   // VRPARCELACIAP, the instalment it was loaded with
    qint64 appropriatedCents = 0; // VRAPROPARCCIAP, what the month appropriated of it
};

// An NF-e of a registration's purchases, kept whole: its items become assets now or later.
struct Purchase {
    QString key;
    QString company;
    QString registration;
    bool own = false; // an entry the company issued itself (tpNF 0)
    QString participant;
    QString model;
    QString series;
    QString number;
    QDate issued;
    QDate entered; // dhSaiEnt, else dhEmi
    QString issuerUf;
    bool interstate = false; // idDest 2: a rate differential may be due
    bool cancelled = false;
};

struct PurchaseItem {
    QString key;
    int number = 0;
    QString productCode;
    QString description;
    QString ncm;
    QString cfop; // four digits, the issuer's
    QString unit;
    qint64 quantity = 0; // QuantityScale units
    qint64 valueCents = 0;
    qint64 icmsCents = 0;
    qint64 stCents = 0;
    qint64 freightCents = 0; // its share of the ICMS of the CT-e that carried it
    bool asset = false;      // already turned into assets
};

// A CT-e the company took, and the NF-e it carried.
struct Freight {
    QString key;
    QString company;
    QString registration;
    QString participant; // the carrier
    QString series;
    QString number;
    QDate issued;
    qint64 serviceCents = 0;
    qint64 icmsCents = 0;
    QStringList nfeKeys;
};

struct OutgoingItem {
    int number = 0;
    QString cfop;
    QString origin;    // empty when the item has none
    QString situation; // CST or CSOSN
    qint64 valueCents = 0;
    qint64 icmsCents = 0;
};

// An NF-e a registration issued for an exit, item by item (NFSAIDA, NFSAIDAITEM).
struct OutgoingInvoice {
    QString company;
    QString registration;
    QString model;
    QString series;
    QString number;
    QString key;
    QDate issued;
    QString participant;
    bool cancelled = false;
    QList<OutgoingItem> items;
};

// An outgoing item with an asset-exit CFOP that names no asset clearly: the user settles it.
struct PendingExit {
    QString company;
    QString registration;
    QString key;
    int item = 0;
    QString cfop;
    QString productCode;
    QString description;
    qint64 quantity = 0;
    QDate date;
    QString reason;
    QStringList candidates; // asset codes that could be meant
};

} // namespace ciap::server
