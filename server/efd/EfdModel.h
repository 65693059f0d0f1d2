#pragma once

// One establishment's month of SPED EFD ICMS/IPI as plain values: Bloco 0 registers that
// Bloco G references, and Bloco G itself. Every figure the file carries is an exact
// integer, so what is written is what was computed:
//   Cents     R$ 0,01            ("4800,00" is 480000)
//   Index8    1e-8 units         ("0,60000000" is 60000000)
//   Quantity5 1e-5 units         ("1,00000" is 100000)
// Empty optional members are empty fields in the file.

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

namespace ciap::efd {

using Cents = qint64;
using Index8 = qint64;
using Quantity5 = qint64;

constexpr Index8 kIndexOne = 100000000;
constexpr Quantity5 kQuantityOne = 100000;

enum class Purpose { Original, Substitute }; // COD_FIN 0 / 1
enum class Profile { A, B, C };              // IND_PERFIL
enum class Activity { Industrial, Other };   // IND_ATIV 0 / 1

// 0000. COD_VER is not kept: it follows from the period's end (CiapLayout::layoutVersion).
struct Establishment {
    Purpose purpose = Purpose::Original;
    QDate start; // DT_INI
    QDate end;   // DT_FIN
    QString name;
    QString cnpj; // CNPJ or CPF, never both
    QString cpf;
    QString uf;
    QString ie;
    QString municipality; // COD_MUN, IBGE, 7 digits
    QString im;
    QString suframa;
    Profile profile = Profile::A;
    Activity activity = Activity::Other;
    bool operator==(const Establishment&) const = default;
};

// 0150: issuer of an entry document or buyer of a sale.
struct Participant {
    QString code;
    QString name;
    QString country = QStringLiteral("01058"); // COD_PAIS; Brazil needs CNPJ or CPF
    QString cnpj;
    QString cpf;
    QString ie;
    QString municipality;
    QString suframa;
    QString address;
    QString number;
    QString complement;
    QString district;
    bool operator==(const Participant&) const = default;
};

// 0190
struct Unit {
    QString code;
    QString description;
    bool operator==(const Unit&) const = default;
};

// 0200. COD_ANT_ITEM is always empty: earlier codes belong in 0205, which we never write.
struct Item {
    QString code;
    QString description;
    QString barcode;
    QString unit; // UNID_INV, in 0190
    int type = 8; // TIPO_ITEM, 08 = fixed asset
    QString ncm;
    QString exIpi;
    QString genre; // COD_GEN
    QString serviceCode;
    std::optional<qint64> icmsRate; // ALIQ_ICMS in hundredths of a percent point: 1800 = 18,00
    QString cest;
    bool operator==(const Item&) const = default;
};

enum class AssetKind { Asset, Component }; // IDENT_MERC 1 / 2

// 0305, required for assets (not components).
struct AssetUse {
    QString costCentre; // COD_CCUS, in 0600
    QString function;
    std::optional<int> usefulLifeMonths;
    bool operator==(const AssetUse&) const = default;
};

// 0300
struct FixedAsset {
    QString code; // COD_IND_BEM, never reused for another asset
    AssetKind kind = AssetKind::Asset;
    QString description;
    QString mainAsset;              // COD_PRNC, required for components
    QString account;                // COD_CTA, an analytic asset account in 0500
    std::optional<int> instalments; // NR_PARC
    std::optional<AssetUse> use;
    bool operator==(const FixedAsset&) const = default;
};

enum class AccountKind { Synthetic, Analytic }; // IND_CTA S / A

// 0500
struct Account {
    QDate changed;                            // DT_ALT
    QString nature = QStringLiteral("01");    // COD_NAT_CC, 01 = asset accounts
    AccountKind kind = AccountKind::Analytic; // IND_CTA
    int level = 1;
    QString code;
    QString name;
    bool operator==(const Account&) const = default;
};

// 0600
struct CostCentre {
    QDate changed;
    QString code;
    QString name;
    bool operator==(const CostCentre&) const = default;
};

// G110
struct Ciap {
    QDate start;
    QDate end;
    Cents openingBalance = 0; // SALDO_IN_ICMS
    Cents instalmentSum = 0;  // SOM_PARC
    Cents taxedOutgoing = 0;  // VL_TRIB_EXP
    Cents totalOutgoing = 0;  // VL_TOTAL
    Index8 outgoingIndex = 0; // IND_PER_SAI
    Cents credit = 0;         // ICMS_APROP
    Cents otherCredits = 0;   // SOM_ICMS_OC
    bool operator==(const Ciap&) const = default;
};

enum class MovementKind { SI, IM, IA, CI, MC, BA, AT, PE, OT };

// G125 fields 05-08
struct IcmsParts {
    Cents own = 0;
    Cents st = 0;
    Cents freight = 0;
    Cents difal = 0;
    Cents total() const { return own + st + freight + difal; }
    bool operator==(const IcmsParts&) const = default;
};

// G125 fields 09-10
struct Instalment {
    int number = 0;
    Cents value = 0; // before the coefficient
    bool operator==(const Instalment&) const = default;
};

// G126: a late instalment of an earlier period, when the state allows it.
struct OtherCredit {
    QDate start;
    QDate end;
    int number = 0;
    Cents value = 0;          // VL_PARC_PASS
    Cents taxedOutgoing = 0;  // VL_TRIB_OC
    Cents totalOutgoing = 0;  // VL_TOTAL
    Index8 outgoingIndex = 0; // IND_PER_SAI
    Cents appropriated = 0;   // VL_PARC_APROP
    bool operator==(const OtherCredit&) const = default;
};

enum class Issuer { Own, ThirdParty }; // IND_EMIT 0 / 1

// G140: the document's item applied to this asset.
struct DocumentItem {
    int number = 1; // NUM_ITEM
    QString item;   // COD_ITEM, in 0200
    Quantity5 quantity = 0;
    QString unit;   // in 0190
    IcmsParts icms; // the item's ICMS in proportion to the quantity
    bool operator==(const DocumentItem&) const = default;
};

// G130
struct Document {
    Issuer issuer = Issuer::ThirdParty;
    QString participant; // COD_PART, in 0150
    QString model;       // COD_MOD
    QString series;
    qint64 number = 0;
    QString key; // CHV_NFE_CTE, for models 55 and 57
    QDate date;
    QString paymentDocument; // NUM_DA
    QList<DocumentItem> items;
    bool operator==(const Document&) const = default;
};

// G125: one movement kind of one asset in the period.
struct Movement {
    QString asset; // COD_IND_BEM, in 0300
    QDate date;
    MovementKind kind = MovementKind::SI;
    std::optional<IcmsParts> icms;        // entries carry it, exits leave it empty
    std::optional<Instalment> instalment; // the month's instalment, when it counts
    QList<OtherCredit> otherCredits;      // G126
    QList<Document> documents;            // G130
    bool operator==(const Movement&) const = default;
};

// The file's content. Bloco 0 lists may hold more than the month needs: the writer keeps
// only what Bloco G references.
struct EfdFile {
    Establishment establishment;
    QList<Participant> participants;
    QList<Unit> units;
    QList<Item> items;
    QList<FixedAsset> assets;
    QList<Account> accounts;
    QList<CostCentre> costCentres;
    Ciap ciap;
    QList<Movement> movements; // none: G001 says the block has no data
    bool operator==(const EfdFile&) const = default;
};

} // namespace ciap::efd
