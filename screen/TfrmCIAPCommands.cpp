#include "TfrmCIAP.h"

// Commands on the selected competência as a whole: load, appropriate, cancel, refresh.

void TfrmCIAP::sbtCarregarClick(QObject*) {}

void TfrmCIAP::sbtOKClick(QObject*) {}

void TfrmCIAP::btnCancelarClick(QObject*) {}

void TfrmCIAP::sbtVerificarClick(QObject*) {}
