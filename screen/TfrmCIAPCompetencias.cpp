#include "TfrmCIAP.h"

// Competências: list and grid, editing and persistence, calculations.

void TfrmCIAP::AtualizaCIAP() {}

void TfrmCIAP::cdsCIAPIDSITCOMPETCIAPGetText(TField&, QString&, bool) {}

void TfrmCIAP::cdsCIAPIDSITCOMPETCIAPSetText(TField&, const QString&) {}

void TfrmCIAP::cdsCIAPCOMPETENCIASetText(TField&, const QString&) {}

void TfrmCIAP::cdsCIAPAfterScroll(TClientDataSet&) {}

void TfrmCIAP::dbgPadraoColEnter(QObject*) {}

void TfrmCIAP::dbgPadraoColExit(QObject*) {}

void TfrmCIAP::dbgPadraoEditButtonClick(QObject*) {}
