#pragma once

#include "DataPacket.h"

#include <QList>

namespace ciap::server {

// The fields of every packet the server answers with: exactly those of the screen's data
// sets, in their order, with their types and sizes.
class Packets final {
public:
    static const QList<FieldDef>& ciap();         // getCIAP → cdsCIAP
    static const QList<FieldDef>& bensComp();     // getBensComp → cdsBensComp
    static const QList<FieldDef>& vrParcel();     // getVrParcelBemComp
    static const QList<FieldDef>& competExiste(); // getCompet_Existe
    static const QList<FieldDef>& vdBemParcel();  // VdBemParcel, with SITUACAO
    static const QList<FieldDef>& retorno();      // CarregaImpostoNFBemParcela
    static const QList<FieldDef>& inscEsta();     // getInscEsta

    // ciap.fiscal
    static const QList<FieldDef>& efdProblems(); // gerarBlocoG: one row per problem

    // VdBemParcel's SITUACAO values.
    static constexpr double AssetAlreadyLoaded = 1;
    static constexpr double AssetFound = 2;
    static constexpr int NomeSize = 108;
};

} // namespace ciap::server
