#pragma once

#include <QString>

// Reading numbers as pt_BR users type them, the counterpart of formatFloat/floatToStr in
// HostServices.h. Accepted: "1.234,56", "1234,56" and "1234.56" (a single dot with no comma is
// a decimal point; several dots are thousands separators), an optional sign, surrounding blanks
// and an exponent ("1,5E3"). False for anything else, and for infinities.
bool tryStrToFloat(const QString& text, double* value);
