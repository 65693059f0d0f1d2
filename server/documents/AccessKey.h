#pragma once

#include <QString>
#include <optional>

namespace ciap::documents {

// Check digit of the mod-11 rule the access key, the CNPJ and the CPF share: weights 2..9
// (repeating) from the rightmost character, each character worth its code minus 48 (so '0'-'9'
// are 0-9 and 'A'-'Z' are 17-42, as the alphanumeric CNPJ needs); a remainder of 0 or 1 gives
// 0, any other r gives 11 - r. -1 when a character is not [0-9A-Z].
int mod11CheckDigit(QStringView body, int maxWeight = 9);

// CNPJ: 12 characters [0-9A-Z] (digits only before the alphanumeric CNPJ) and two check digits.
// A CNPJ of one repeated character is refused, as registries do.
bool isValidCnpj(QStringView cnpj);
// CPF: 11 digits, the last two check digits (weights 2..11 from the right).
bool isValidCpf(QStringView cpf);

// The 44-position access key of an NF-e, NFC-e or CT-e:
// cUF(2) AAMM(4) CNPJ(14, or 000 + CPF) mod(2) serie(3) number(9) tpEmis(1) code(8) cDV(1).
// Only the CNPJ part may hold letters (alphanumeric CNPJ); everything else is digits.
class AccessKey {
public:
    static constexpr int Length = 44;

    AccessKey() = default;
    // nullopt when the text is not 44 positions of the right kind or the check digit is wrong.
    static std::optional<AccessKey> fromString(QStringView text);

    bool isNull() const { return m_text.isEmpty(); }
    const QString& toString() const { return m_text; }

    int uf() const { return number(0, 2); }
    int year() const { return 2000 + number(2, 2); } // AAMM of the issue date
    int month() const { return number(4, 2); }
    QString issuerId() const { return m_text.mid(6, 14); } // CNPJ, or "000" + CPF
    int model() const { return number(20, 2); }
    int series() const { return number(22, 3); }
    qint64 documentNumber() const { return m_text.mid(25, 9).toLongLong(); }
    int emissionType() const { return number(34, 1); }
    QString code() const { return m_text.mid(35, 8); } // cNF / cCT
    int checkDigit() const { return number(43, 1); }

    friend bool operator==(const AccessKey&, const AccessKey&) = default;

private:
    int number(int from, int length) const { return m_text.mid(from, length).toInt(); }

    QString m_text;
};

} // namespace ciap::documents
