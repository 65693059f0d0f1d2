#include "TfrmCIAP.h"

// Filter header: keystroke filter, field checks, commit of the filter and its lookups.

void TfrmCIAP::edtCdEmpresaKeyPress(QObject*, QChar&) {}

void TfrmCIAP::edtCdImpostoKeyPress(QObject*, QChar&) {}

void TfrmCIAP::edtCdEmpresaChange(QObject*) {}

void TfrmCIAP::edtCdImpostoChange(QObject*) {}

void TfrmCIAP::edtCdEmpresaExit(QObject*) {}

void TfrmCIAP::edtCdImpostoExit(QObject*) {}

void TfrmCIAP::depInicialExit(QObject*) {}

void TfrmCIAP::depFinalExit(QObject*) {}

void TfrmCIAP::dbeInscEstaExit(QObject*) {}

void TfrmCIAP::VD_EMPRESA(bool) {}

void TfrmCIAP::VD_IMPOSTO(bool) {}

void TfrmCIAP::VD_PERIODO() {}

void TfrmCIAP::VD_CDINSCESTA(bool, const QString&) {}

void TfrmCIAP::panEmpresaEnter(QObject*) {}

void TfrmCIAP::panEmpresaExit(QObject*) {}

void TfrmCIAP::btpEmpresaBeforePesq(QObject*, bool&) {}

void TfrmCIAP::btpEmpresaAfterPesq(QObject*) {}

void TfrmCIAP::btpImpostoBeforePesq(QObject*, bool&) {}

void TfrmCIAP::btpImpostoAfterPesq(QObject*) {}

void TfrmCIAP::btnPesqInscEstaBeforePesq(QObject*, bool&) {}

void TfrmCIAP::btnPesqInscEstaAfterPesq(QObject*) {}
