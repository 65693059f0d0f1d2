#include "TfrmCIAP.h"

// Competências: editing and persistence, calculations.

void TfrmCIAP::cdsCIAPAfterInsert(TClientDataSet&) {}

void TfrmCIAP::cdsCIAPBeforePost(TClientDataSet&) {}

void TfrmCIAP::cdsCIAPAfterPost(TClientDataSet&) {}

void TfrmCIAP::cdsCIAPAfterCancel(TClientDataSet&) {}

void TfrmCIAP::cdsCIAPBeforeDelete(TClientDataSet&) {}

void TfrmCIAP::cdsCIAPAfterDelete(TClientDataSet&) {}

void TfrmCIAP::VD_CALCVR() {}

void TfrmCIAP::CalculaCoeficiente() {}

void TfrmCIAP::CalculaSaldoAcumulado() {}

void TfrmCIAP::CalculaCreditoApropriar() {}
