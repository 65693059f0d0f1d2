#pragma once

// One reader per kind of document, each given the root element it recognises.
#include "Documents.h"
#include "XmlTree.h"

namespace ciap::documents::detail {

NfeDocument readNfe(const Element& nfeProc);
CteDocument readCte(const Element& cteProc);
NfeCancellation readNfeCancellation(const Element& procEventoNFe);

} // namespace ciap::documents::detail
