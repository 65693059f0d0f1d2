#include "RegisterPackets.h"

#include "PacketWriter.h"

#include <QDate>

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

const QList<FieldDef>& RegisterPackets::importResult() {
    static const QList<FieldDef> f{str("SITUACAO", 1),    str("MOTIVO", 1000),
                                   str("TPDOCUMENTO", 3), str("CHDOCUMENTO", 44),
                                   str("CDEMPRESA", 2),   str("CDINSCESTA", 16),
                                   flt("QTBENS"),         str("DSRESULTADO", 1000)};
    return f;
}

const QList<FieldDef>& RegisterPackets::registrations() {
    static const QList<FieldDef> f{str("CDINSCESTA", 16), str("NRCNPJ", 14), str("SGUF", 2),
                                   str("CDMUNICIPIO", 7), flt("NRPARCELAS")};
    return f;
}

const QList<FieldDef>& RegisterPackets::assets() {
    static const QList<FieldDef> f{
        str("CDEMPRESA", 2),
        str("CDBEMATIVO", 10),
        str("NMBEMATIVO", 50),
        str("CDPATRIBEMATIVO", 30),
        str("CDINSCESTA", 16),
        dt("DTENTRADA"),
        flt("NRPARCELAS"),
        str("IDTPAPROPPISCOF", 2),
        flt("VRICMSPROPRIOCENT"),
        flt("VRICMSSTCENT"),
        flt("VRICMSFRETECENT"),
        flt("VRICMSDIFALCENT"),
        flt("VRCREDITOCENT"),
        flt("VRPARCELACENT"),
        str("IDDIFALPENDENTE", 1),
        str("NRDOCARRECADACAO", 60),
        str("IDTPBEM", 1),
        str("CDBEMPRINCIPAL", 10),
        str("CDCONTA", 60),
        str("CDCCUSTO", 60),
        str("DSFUNCAO", 200),
        flt("NRVIDAUTIL"),
        str("CDITEM", 60),
        str("CDUNIDADE", 6),
        str("IDENTRADAIMPORTADA", 1),
        str("IDEMITENTEENT", 1),
        str("CDPARTICIPANTEENT", 60),
        str("NMPARTICIPANTEENT", 100),
        str("CDMODELOENT", 2),
        str("NRSERIEENT", 3),
        str("NRDOCUMENTOENT", 9),
        str("CHDOCUMENTOENT", 44),
        dt("DTDOCUMENTOENT"),
        flt("NRITEMENT"),
        str("CDPRODUTOENT", 60),
        str("DSPRODUTOENT", 120),
        flt("QTAPLICADAENT"),
        dt("DTSAIDA"),
        str("IDTPSAIDA", 1),
        str("CDMODELOSAI", 2),
        str("NRSERIESAI", 3),
        str("NRDOCUMENTOSAI", 9),
        str("CHDOCUMENTOSAI", 44),
        flt("NRITEMSAI"),
        flt("QTPENDENCIAS"),
        str("DSPENDENCIAS", 1000),
    };
    return f;
}

const QList<FieldDef>& RegisterPackets::purchases() {
    static const QList<FieldDef> f{str("CHNFE", 44),
                                   str("CDINSCESTA", 16),
                                   str("NRDOCUMENTO", 9),
                                   str("NRSERIE", 3),
                                   dt("DTEMISSAO"),
                                   dt("DTENTRADA"),
                                   str("CDPARTICIPANTE", 60),
                                   str("NMPARTICIPANTE", 100),
                                   str("IDPROPRIA", 1),
                                   str("IDINTERESTADUAL", 1),
                                   str("IDCANCELADA", 1),
                                   flt("NRITEM"),
                                   str("CDPRODUTO", 60),
                                   str("DSPRODUTO", 120),
                                   str("CDNCM", 8),
                                   str("CDCFOP", 4),
                                   str("CDUNIDADE", 6),
                                   flt("QTITEM"),
                                   flt("VRPRODUTOCENT"),
                                   flt("VRICMSCENT"),
                                   flt("VRICMSSTCENT"),
                                   flt("VRICMSFRETECENT"),
                                   str("IDBEM", 1)};
    return f;
}

const QList<FieldDef>& RegisterPackets::pendingExits() {
    static const QList<FieldDef> f{
        str("CHNFE", 44),     flt("NRITEM"),         str("CDINSCESTA", 16),   str("CDCFOP", 4),
        str("CDPRODUTO", 60), str("DSPRODUTO", 120), flt("QTITEM"),           dt("DTSAIDA"),
        str("IDTPSAIDA", 1),  str("DSMOTIVO", 400),  str("DSCANDIDATOS", 400)};
    return f;
}

QByteArray RegisterPackets::write(const QList<FieldDef>& fields, const QList<QVariantList>& rows) {
    PacketWriter w(fields, rows.size() * 256);
    for (const QVariantList& row : rows) {
        w.beginRow();
        for (int i = 0; i < fields.size(); ++i) {
            const QVariant& v = row.value(i);
            if (!v.isValid()) {
                w.null();
                continue;
            }
            switch (fields.at(i).type) {
            case FieldType::String:
                w.text(v.toString());
                break;
            case FieldType::Float:
                w.number(v.toDouble());
                break;
            case FieldType::DateTime:
                w.date(v.toDate());
                break;
            }
        }
        w.endRow();
    }
    return w.finish();
}

} // namespace ciap::server
