#pragma once

// Shared by the readers of each kind of document: typed access to the elements of a tree,
// refusing with the element's path and line when a value is absent or badly written.
#include "Documents.h"
#include "XmlTree.h"

#include <initializer_list>

namespace ciap::documents::detail {

[[noreturn]] void refuse(Refusal code, const QString& text, const Element& at);

Element required(const Element& parent, QStringView name);
QString requiredText(const Element& parent, QStringView name);
QString optionalText(const Element& parent, QStringView name);

// Digits only, 1..maxDigits of them (BadNumber otherwise); optionalInt gives `absent` for an
// absent element.
qint64 requiredInt(const Element& parent, QStringView name, int maxDigits);
qint64 optionalInt(const Element& parent, QStringView name, int maxDigits, qint64 absent);
// A code that must be one of `allowed` (BadValue otherwise).
int requiredCode(const Element& parent, QStringView name, std::initializer_list<int> allowed);

Cents requiredCents(const Element& parent, QStringView name);
Cents optionalCents(const Element& parent, QStringView name); // 0 when absent
Cents centsOf(const Element& element);
Decimal requiredDecimal(const Element& parent, QStringView name, int maxDecimals,
                        int maxIntegerDigits);
Decimal decimalOf(const Element& element, int maxDecimals, int maxIntegerDigits);

DocumentDateTime requiredDateTime(const Element& parent, QStringView name);
DocumentDateTime optionalDateTime(const Element& parent, QStringView name);

// A key written in an element (BadKey when malformed or with a wrong check digit).
AccessKey keyOf(const Element& element);
// The key of infNFe/@Id or infCte/@Id: prefix + 44 positions.
AccessKey keyOfId(const Element& info, QStringView prefix);

// CNPJ | CPF | idEstrangeiro, xNome, xFant, IE and the address element `addressName`.
Party readParty(const Element& element, QStringView addressName);
// One ICMS group element (ICMS00, ICMSSN102, ICMSOutraUF, ...).
Icms readIcms(const Element& group);
// protNFe/infProt, protCTe/infProt or retEvento/infEvento.
Authorisation readAuthorisation(const Element& info, QStringView keyName);

// The fields the key is made of, as the document states them elsewhere.
struct KeyFields {
    int uf;
    QDate issued;
    QString issuerCnpj;
    QString issuerCpf;
    int model;
    int series;
    qint64 number;
    int emissionType;
    QString code;
    int checkDigit;
};
void checkKeyMatches(const AccessKey& key, const KeyFields& fields, const Element& at);

// Refuses a document of the homologation environment (tpAmb 2).
void refuseTestEnvironment(int environment, const Element& at, const QString& what);

} // namespace ciap::documents::detail
