#pragma once

#include <QString>
#include <optional>

// How the register and import windows show and read what the server keeps exactly: amounts in
// whole cents (never through binary floating point) and the access keys of documents.
namespace RegisterFormat {

// "1.234,56"; "-" before a negative amount.
QString centsText(qint64 cents);
// An amount as pt_BR users type it ("1.234,56", "1234,5", "1.500", "0"): whole cents, not
// negative; nullopt for anything else (more than two decimals, dots that do not group
// thousands, letters).
std::optional<qint64> parseCents(const QString& text);
// 44 positions: digits, letters in the issuer's CNPJ (the alphanumeric CNPJ), and the check
// digit of the 43 before it (modulo 11).
bool isAccessKey(const QString& key);

} // namespace RegisterFormat
