#pragma once

// Reading the company's electronic fiscal documents: XML bytes in, plain structs out, or a
// DocumentError with a stable code and a text for the user.
//
// Read here: NF-e/NFC-e 4.00 (root nfeProc), CT-e 3.00 and 4.00 (root cteProc) and the NF-e
// cancellation event 110111 (root procEventoNFe), each with its authorisation or registration.
// A document is refused when it is not well-formed, carries a DOCTYPE, exceeds the limits, is
// none of these, has an access key that is malformed or disagrees with its fields, its Id or
// its protocol, is not authorised, was issued in the homologation environment, lacks a required
// element or writes a number or code outside its layout.
//
// Not verified: the XML signature (ds:Signature) and so the issuer's certificate; there are no
// certificates here. A document is trusted as far as its key, protocol and fields agree.
//
// Limits (ReaderLimits): 4 MiB per file, 32 levels of elements, 100,000 elements. A larger file
// is refused before it is read whole, so memory stays in proportion to one document.
//
// No global state: both functions may run on several threads at once.
#include "DocumentError.h"
#include "Documents.h"
#include "ReaderLimits.h"

#include <QByteArray>
#include <QString>
#include <variant>

namespace ciap::documents {

using FiscalDocument = std::variant<NfeDocument, CteDocument, NfeCancellation>;

// Throws DocumentError.
FiscalDocument readDocument(const QByteArray& xml, const ReaderLimits& limits = {});
// A file larger than limits.maxBytes is refused without being read. Throws DocumentError.
FiscalDocument readDocumentFile(const QString& path, const ReaderLimits& limits = {});

} // namespace ciap::documents
