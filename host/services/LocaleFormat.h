#pragma once

#include <QDate>
#include <QString>

// pt_BR text conversions, whatever the machine's locale.
QString formatFloat(const QString& format, double value); // "#,##0.00" → "1.234,57"
QString floatToStr(double value);                         // general: "1234,57", "2,5"
QString dateToStr(const QDate& date);                     // dd/MM/yyyy
QDate strToDate(const QString& text); // dd/MM/yyyy; invalid QDate when not a date

// Reading numbers as pt_BR users type them, the counterpart of formatFloat and floatToStr.
// The comma is the decimal separator and the dot groups thousands: "1.234,56", "1234,56",
// "1.500" (fifteen hundred), "1500,5"; an optional sign, surrounding blanks and an exponent
// ("1,5E3"). False for dots that are no valid thousands groups ("1.5", "1,234.56", "1.50.0"),
// for anything else, and for infinities.
bool tryStrToFloat(const QString& text, double* value);
