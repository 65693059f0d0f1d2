#include "Packets.h"

namespace ciap::server {

namespace {

FieldDef str(const char* name, int size) {
    return FieldDef{QString::fromLatin1(name), FieldType::String, size};
}

FieldDef flt(const char* name) {
    return FieldDef{QString::fromLatin1(name), FieldType::Float, 0};
}

FieldDef dt(const char* name) {
    return FieldDef{QString::fromLatin1(name), FieldType::DateTime, 0};
}

} // namespace

const QList<FieldDef>& Packets::ciap() {
    static const QList<FieldDef> f{
        str("CDEMPRESA", 2),    str("CDIMPOSTO", 2),    str("COMPETENCIA", 7),
        flt("VRSAIDACIAP"),     flt("VRSAIDATRIBCIAP"), flt("VRCOEFICIAP"),
        flt("VRSALDOPARCCIAP"), flt("VRCREDAPROPCIAP"), str("IDSITCOMPETCIAP", 1),
        str("LOCATE", 11),      dt("DTCOMPETECIAP"),    str("NOME", NomeSize),
        flt("ITEMEXISTE"),      str("CDINSCESTA", 16),  str("NRSEQCIAP", 10)};
    return f;
}

const QList<FieldDef>& Packets::bensComp() {
    static const QList<FieldDef> f{
        str("CDEMPRESA", 2),        str("CDBEMATIVO", 10),     str("NMBEMATIVO", 50),
        str("CDPATRIBEMATIVO", 30), dt("DTCOMPETECIAP"),       flt("VRCOEFICIAP"),
        flt("VRPARCELACIAP"),       str("IDTPAPROPPISCOF", 2), flt("VRAPROPARCCIAP")};
    return f;
}

const QList<FieldDef>& Packets::vrParcel() {
    static const QList<FieldDef> f{flt("VRPARCELACIAP")};
    return f;
}

const QList<FieldDef>& Packets::competExiste() {
    static const QList<FieldDef> f{flt("COMPETENCIAEXITE")};
    return f;
}

const QList<FieldDef>& Packets::vdBemParcel() {
    static const QList<FieldDef> f{str("CDBEMATIVO", 10), str("NMBEMATIVO", 50),
                                   str("CDPATRIBEMATIVO", 30), flt("VRPARCELACIAP"),
                                   flt("SITUACAO")};
    return f;
}

const QList<FieldDef>& Packets::retorno() {
    static const QList<FieldDef> f{str("Retorno", 20)};
    return f;
}

const QList<FieldDef>& Packets::inscEsta() {
    static const QList<FieldDef> f{str("CDINSCESTA", 16)};
    return f;
}

const QList<FieldDef>& Packets::efdProblems() {
    static const QList<FieldDef> f{str("REGRA", 30),     str("REGISTRO", 4), flt("LINHA"),
                                   str("BEM", 60),       str("CAMPO", 30),   str("PROBLEMA", 400),
                                   str("CORRECAO", 400), str("TEXTO", 1000)};
    return f;
}

} // namespace ciap::server
