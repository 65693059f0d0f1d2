#include "EfdLayout.h"

#include <array>

namespace ciap::efd {

namespace {

constexpr FieldType C = FieldType::Text;
constexpr FieldType N = FieldType::Number;
constexpr FieldType D = FieldType::Date;
constexpr FieldType K = FieldType::Key;
constexpr bool O = true;   // required
constexpr bool OC = false; // required on a condition, checked by the register's rules

// clang-format off
constexpr FieldLayout k0000[] = {
    {"COD_VER", N, 3, true, 0, O},   {"COD_FIN", N, 1, false, 0, O},
    {"DT_INI", D, 8, true, 0, O},    {"DT_FIN", D, 8, true, 0, O},
    {"NOME", C, 100, false, 0, O},   {"CNPJ", N, 14, true, 0, OC},
    {"CPF", N, 11, true, 0, OC},     {"UF", C, 2, true, 0, O},
    {"IE", C, 14, false, 0, O},      {"COD_MUN", N, 7, true, 0, O},
    {"IM", C, 0, false, 0, OC},      {"SUFRAMA", C, 9, true, 0, OC},
    {"IND_PERFIL", C, 1, false, 0, O}, {"IND_ATIV", N, 1, false, 0, O},
};
constexpr FieldLayout kIndMov[] = {{"IND_MOV", N, 1, true, 0, O}};
constexpr FieldLayout kIndMovC[] = {{"IND_MOV", C, 1, true, 0, O}};
constexpr FieldLayout k0150[] = {
    {"COD_PART", C, 60, false, 0, O}, {"NOME", C, 100, false, 0, O},
    {"COD_PAIS", N, 5, false, 0, O},  {"CNPJ", N, 14, true, 0, OC},
    {"CPF", N, 11, true, 0, OC},      {"IE", C, 14, false, 0, OC},
    {"COD_MUN", N, 7, true, 0, OC},   {"SUFRAMA", C, 9, true, 0, OC},
    {"END", C, 60, false, 0, O},      {"NUM", C, 10, false, 0, OC},
    {"COMPL", C, 60, false, 0, OC},   {"BAIRRO", C, 60, false, 0, OC},
};
constexpr FieldLayout k0190[] = {{"UNID", C, 6, false, 0, O}, {"DESCR", C, 0, false, 0, O}};
constexpr FieldLayout k0200[] = {
    {"COD_ITEM", C, 60, false, 0, O},   {"DESCR_ITEM", C, 0, false, 0, O},
    {"COD_BARRA", C, 0, false, 0, OC},  {"COD_ANT_ITEM", C, 60, false, 0, OC},
    {"UNID_INV", C, 6, false, 0, O},    {"TIPO_ITEM", N, 2, true, 0, O},
    {"COD_NCM", C, 8, true, 0, OC},     {"EX_IPI", C, 3, false, 0, OC},
    {"COD_GEN", N, 2, true, 0, OC},     {"COD_LST", C, 5, false, 0, OC},
    {"ALIQ_ICMS", N, 6, false, 2, OC},  {"CEST", N, 7, true, 0, OC},
};
constexpr FieldLayout k0300[] = {
    {"COD_IND_BEM", C, 60, false, 0, O}, {"IDENT_MERC", C, 1, true, 0, O},
    {"DESCR_ITEM", C, 0, false, 0, O},   {"COD_PRNC", C, 60, false, 0, OC},
    {"COD_CTA", C, 60, false, 0, O},     {"NR_PARC", N, 3, false, 0, OC},
};
constexpr FieldLayout k0305[] = {
    {"COD_CCUS", C, 60, false, 0, O}, {"FUNC", C, 0, false, 0, O},
    {"VIDA_UTIL", N, 3, false, 0, OC},
};
constexpr FieldLayout k0500[] = {
    {"DT_ALT", D, 8, true, 0, O},   {"COD_NAT_CC", C, 2, true, 0, O},
    {"IND_CTA", C, 1, true, 0, O},  {"NIVEL", N, 5, false, 0, O},
    {"COD_CTA", C, 60, false, 0, O}, {"NOME_CTA", C, 60, false, 0, O},
};
constexpr FieldLayout k0600[] = {
    {"DT_ALT", D, 8, true, 0, O}, {"COD_CCUS", C, 60, false, 0, O},
    {"CCUS", C, 60, false, 0, O},
};
constexpr FieldLayout k0990[] = {{"QTD_LIN_0", N, 0, false, 0, O}};
constexpr FieldLayout kG110[] = {
    {"DT_INI", D, 8, true, 0, O},        {"DT_FIN", D, 8, true, 0, O},
    {"SALDO_IN_ICMS", N, 0, false, 2, O}, {"SOM_PARC", N, 0, false, 2, O},
    {"VL_TRIB_EXP", N, 0, false, 2, O},  {"VL_TOTAL", N, 0, false, 2, O},
    {"IND_PER_SAI", N, 0, false, 8, O},  {"ICMS_APROP", N, 0, false, 2, O},
    {"SOM_ICMS_OC", N, 0, false, 2, O},
};
constexpr FieldLayout kG125[] = {
    {"COD_IND_BEM", C, 60, false, 0, O},       {"DT_MOV", D, 8, true, 0, O},
    {"TIPO_MOV", C, 2, true, 0, O},            {"VL_IMOB_ICMS_OP", N, 0, false, 2, OC},
    {"VL_IMOB_ICMS_ST", N, 0, false, 2, OC},   {"VL_IMOB_ICMS_FRT", N, 0, false, 2, OC},
    {"VL_IMOB_ICMS_DIF", N, 0, false, 2, OC},  {"NUM_PARC", N, 3, false, 0, OC},
    {"VL_PARC_PASS", N, 0, false, 2, OC},
};
constexpr FieldLayout kG126[] = {
    {"DT_INI", D, 8, true, 0, O},          {"DT_FIM", D, 8, true, 0, O},
    {"NUM_PARC", N, 3, false, 0, O},       {"VL_PARC_PASS", N, 0, false, 2, O},
    {"VL_TRIB_OC", N, 0, false, 2, O},     {"VL_TOTAL", N, 0, false, 2, O},
    {"IND_PER_SAI", N, 0, false, 8, O},    {"VL_PARC_APROP", N, 0, false, 2, O},
};
constexpr FieldLayout kG130[] = {
    {"IND_EMIT", C, 1, true, 0, O},  {"COD_PART", C, 60, false, 0, O},
    {"COD_MOD", C, 2, true, 0, O},   {"SERIE", C, 3, false, 0, OC},
    {"NUM_DOC", N, 9, false, 0, O},  {"CHV_NFE_CTE", K, 44, true, 0, OC},
    {"DT_DOC", D, 8, true, 0, O},    {"NUM_DA", C, 0, false, 0, OC},
};
constexpr FieldLayout kG140[] = {
    {"NUM_ITEM", N, 3, false, 0, O},              {"COD_ITEM", C, 60, false, 0, O},
    {"QTDE", N, 0, false, 5, O},                  {"UNID", C, 6, false, 0, O},
    {"VL_ICMS_OP_APLICADO", N, 0, false, 2, O},   {"VL_ICMS_ST_APLICADO", N, 0, false, 2, O},
    {"VL_ICMS_FRT_APLICADO", N, 0, false, 2, O},  {"VL_ICMS_DIF_APLICADO", N, 0, false, 2, O},
};
constexpr FieldLayout kG990[] = {{"QTD_LIN_G", N, 0, false, 0, O}};
constexpr FieldLayout k9900[] = {
    {"REG_BLC", C, 4, true, 0, O}, {"QTD_REG_BLC", N, 0, false, 0, O},
};
constexpr FieldLayout k9990[] = {{"QTD_LIN_9", N, 0, false, 0, O}};
constexpr FieldLayout k9999[] = {{"QTD_LIN", N, 0, false, 0, O}};

constexpr Reg None = Reg::Count;
const std::array<RegisterLayout, kRegCount> kRegisters{{
    {"0000", 0, None, k0000},      {"0001", 1, None, kIndMov},
    {"0150", 2, Reg::R0001, k0150}, {"0190", 2, Reg::R0001, k0190},
    {"0200", 2, Reg::R0001, k0200}, {"0300", 2, Reg::R0001, k0300},
    {"0305", 3, Reg::R0300, k0305}, {"0500", 2, Reg::R0001, k0500},
    {"0600", 2, Reg::R0001, k0600}, {"0990", 1, None, k0990},
    {"G001", 1, None, kIndMovC},   {"G110", 2, Reg::G001, kG110},
    {"G125", 3, Reg::G110, kG125},  {"G126", 4, Reg::G125, kG126},
    {"G130", 4, Reg::G125, kG130},  {"G140", 5, Reg::G130, kG140},
    {"G990", 1, None, kG990},      {"9001", 1, None, kIndMov},
    {"9900", 2, Reg::R9001, k9900}, {"9990", 1, None, k9990},
    {"9999", 0, None, k9999},
}};

struct Uf {
    const char* code;
    int ibge;
};
constexpr Uf kUfs[] = {
    {"RO", 11}, {"AC", 12}, {"AM", 13}, {"RR", 14}, {"PA", 15}, {"AP", 16}, {"TO", 17},
    {"MA", 21}, {"PI", 22}, {"CE", 23}, {"RN", 24}, {"PB", 25}, {"PE", 26}, {"AL", 27},
    {"SE", 28}, {"BA", 29}, {"MG", 31}, {"ES", 32}, {"RJ", 33}, {"SP", 35}, {"PR", 41},
    {"SC", 42}, {"RS", 43}, {"MS", 50}, {"MT", 51}, {"GO", 52}, {"DF", 53},
};

// The layout version in force for periods ending in each year.
struct Version {
    int year;
    const char* code;
};
constexpr Version kVersions[] = {{2024, "018"}, {2025, "019"}, {2026, "020"}};

constexpr const char* kMovementCodes[] = {"SI", "IM", "IA", "CI", "MC", "BA", "AT", "PE", "OT"};

constexpr const char* kDocumentModels[] = {"01", "1B", "04", "07", "08", "8B",
                                           "09", "10", "26", "27", "55", "57"};
// clang-format on

} // namespace

const RegisterLayout& EfdLayout::of(Reg reg) {
    return kRegisters[std::size_t(reg)];
}

std::optional<Reg> EfdLayout::find(QStringView code) {
    if (code.size() != 4)
        return std::nullopt;
    for (int i = 0; i < kRegCount; ++i) {
        if (code == QLatin1String(kRegisters[std::size_t(i)].code, 4))
            return Reg(i);
    }
    return std::nullopt;
}

QString EfdLayout::layoutVersion(const QDate& periodEnd) {
    for (const Version& v : kVersions) {
        if (v.year == periodEnd.year())
            return QString::fromLatin1(v.code);
    }
    return {};
}

int EfdLayout::ufCode(QStringView uf) {
    for (const Uf& u : kUfs) {
        if (uf == QLatin1String(u.code))
            return u.ibge;
    }
    return 0;
}

bool EfdLayout::isUfCode(int ibge) {
    for (const Uf& u : kUfs) {
        if (u.ibge == ibge)
            return true;
    }
    return false;
}

bool EfdLayout::isDocumentModel(QStringView model) {
    for (const char* m : kDocumentModels) {
        if (model == QLatin1String(m))
            return true;
    }
    return false;
}

QString EfdLayout::movementCode(MovementKind kind) {
    return QString::fromLatin1(kMovementCodes[std::size_t(kind)], 2);
}

std::optional<MovementKind> EfdLayout::movementKind(QStringView code) {
    for (std::size_t i = 0; i < std::size(kMovementCodes); ++i) {
        if (code == QLatin1String(kMovementCodes[i], 2))
            return MovementKind(i);
    }
    return std::nullopt;
}

} // namespace ciap::efd
