#pragma once

// The file's field formats and check digits. Numbers are exact integers scaled by their
// field's decimals: "4800,00" is 480000 at 2 decimals.

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

namespace ciap::efd {

class EfdFormat final {
public:
    // Decimal comma, exactly `decimals` digits after it, no thousands separator; a minus sign
    // for negatives (which no field of ours accepts: the validator says so).
    static void appendFixed(QString& out, qint64 value, int decimals);
    static QString fixed(qint64 value, int decimals);
    static void appendDate(QString& out, const QDate& date); // ddmmaaaa; nothing when invalid
    // Strict inverse of appendFixed for non-negative values; nullopt for anything else.
    static std::optional<qint64> parseFixed(QStringView text, int decimals);
    static QDate parseDate(QStringView text); // invalid unless ddmmaaaa of a real day
    static bool isDigits(QStringView text);   // ASCII digits, at least one

    // Modulo 11, weights 2..9 from the right, a character's value its code minus 48 (so the
    // letters of an alphanumeric CNPJ count as 17 for 'A' and so on); 11 - rest, 0 for 10/11.
    static int mod11(QStringView chars);
    static bool validCnpj(QStringView cnpj); // 14 digits, both check digits
    static bool validCpf(QStringView cpf);   // 11 digits, both check digits
    // NF-e/CT-e key: 44 characters, the last the mod-11 digit of the others. Letters
    // (A-Z) are allowed in the issuer's CNPJ (positions 7 to 18) of keys from 2026 on.
    static bool validAccessKey(QStringView key);

    // The server keeps its figures as doubles; they enter the file only through these.
    static qint64 roundToCents(double value);
    static qint64 roundToIndex8(double value);
};

} // namespace ciap::efd
