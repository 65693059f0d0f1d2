#include "CiapMethods.h"

#include "ApropriarHandler.h"
#include "CancelaApropriacaoHandler.h"
#include "CarregaImpostoNFBemParcelaHandler.h"
#include "DelBensCompHandler.h"
#include "GetBensCompHandler.h"
#include "GetCiapHandler.h"
#include "GetCompetExisteHandler.h"
#include "GetInscEstaHandler.h"
#include "GetNrseqCiapHandler.h"
#include "GetVerificaImpostoHandler.h"
#include "GetVrParcelBemCompHandler.h"
#include "GravaInfBensCiapHandler.h"
#include "SetCiapHandler.h"
#include "VdBemParcelHandler.h"

namespace ciap::server {

std::vector<std::unique_ptr<MethodHandler>> CiapMethods::all() {
    std::vector<std::unique_ptr<MethodHandler>> methods;
    methods.push_back(std::make_unique<GetVerificaImpostoHandler>());
    methods.push_back(std::make_unique<GetCiapHandler>());
    methods.push_back(std::make_unique<GetBensCompHandler>());
    methods.push_back(std::make_unique<SetCiapHandler>());
    methods.push_back(std::make_unique<GetNrseqCiapHandler>());
    methods.push_back(std::make_unique<GetVrParcelBemCompHandler>());
    methods.push_back(std::make_unique<GetCompetExisteHandler>());
    methods.push_back(std::make_unique<GravaInfBensCiapHandler>());
    methods.push_back(std::make_unique<VdBemParcelHandler>());
    methods.push_back(std::make_unique<ApropriarHandler>());
    methods.push_back(std::make_unique<CarregaImpostoNFBemParcelaHandler>());
    methods.push_back(std::make_unique<GetInscEstaHandler>());
    methods.push_back(std::make_unique<CancelaApropriacaoHandler>());
    methods.push_back(std::make_unique<DelBensCompHandler>());
    return methods;
}

} // namespace ciap::server
