#pragma once

// The registers this library writes, field by field, as the EFD ICMS/IPI layout (Guia
// Prático 3.1.8) describes them. The validator checks every line against this table, so a
// field's type, size and decimals live here and nowhere else.

#include "EfdModel.h"

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>
#include <span>

namespace ciap::efd {

// clang-format off
enum class Reg : quint8 {
    R0000, R0001, R0150, R0190, R0200, R0300, R0305, R0500, R0600, R0990,
    G001, G110, G125, G126, G130, G140, G990,
    R9001, R9900, R9990, R9999,
    Count
};
// clang-format on
constexpr int kRegCount = int(Reg::Count);

enum class FieldType : quint8 {
    Text,   // C
    Number, // N: digits, with a decimal comma when the field has decimals
    Date,   // N 008*: ddmmaaaa
    Key,    // CHV_NFE_CTE: 44 characters, letters allowed where a CNPJ may hold them
};

struct FieldLayout {
    const char* name;
    FieldType type;
    int size;      // most characters (digits for numbers); 0: no limit
    bool exact;    // the size is the exact length ("*" in the layout)
    int decimals;  // numbers only
    bool required; // "O"; "OC" fields are checked by the register's own rules
};

struct RegisterLayout {
    const char* code;
    int level;  // 0 to 5
    Reg parent; // Reg::Count for blocks' openings, closings and the file's ends
    std::span<const FieldLayout> fields; // from field 02 on: fields[n - 2] is field n
    const FieldLayout& field(int number) const { return fields[std::size_t(number - 2)]; }
};

class EfdLayout final {
public:
    static const RegisterLayout& of(Reg reg);
    static QString code(Reg reg) { return QString::fromLatin1(of(reg).code); }
    static std::optional<Reg> find(QStringView code);

    // COD_VER in force at the period's end (Ato COTEPE/ICMS 44/2018's table): 018 for 2024,
    // 019 for 2025, 020 for 2026. Empty for a year the table does not know yet.
    static QString layoutVersion(const QDate& periodEnd);
    // IBGE code of a state (the first two digits of its municipalities), 0 when unknown.
    static int ufCode(QStringView uf);
    static bool isUfCode(int ibge);
    // COD_MOD values that G130 accepts.
    static bool isDocumentModel(QStringView model);

    static QString movementCode(MovementKind kind); // TIPO_MOV
    static std::optional<MovementKind> movementKind(QStringView code);
    // Kinds that bring an asset's ICMS into the CIAP (fields 05-08 filled).
    static bool isEntry(MovementKind kind) { return kind <= MovementKind::MC; }
};

} // namespace ciap::efd
