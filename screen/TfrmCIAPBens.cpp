#include "TfrmCIAP.h"

// Assets with an instalment in the selected competência.

void TfrmCIAP::AtualizaBensComp() {}

void TfrmCIAP::cdsBensCompVRAPROPARCCIAPGetText(TField&, QString&, bool) {}

void TfrmCIAP::dbgBensCompEnter(QObject*) {}

void TfrmCIAP::dbgBensCompColEnter(QObject*) {}

void TfrmCIAP::dbgBensCompColExit(QObject*) {}

void TfrmCIAP::dbgBensCompEditButtonClick(QObject*) {}

void TfrmCIAP::VD_BEMPARCELADO(bool) {}

void TfrmCIAP::cdsBensCompBeforePost(TClientDataSet&) {}

void TfrmCIAP::cdsBensCompAfterPost(TClientDataSet&) {}

void TfrmCIAP::cdsBensCompAfterCancel(TClientDataSet&) {}

void TfrmCIAP::cdsBensCompBeforeDelete(TClientDataSet&) {}

void TfrmCIAP::cdsBensCompAfterDelete(TClientDataSet&) {}
