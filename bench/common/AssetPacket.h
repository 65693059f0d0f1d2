#pragma once

#include "DataPacket.h"

#include <QDate>
#include <QString>

// The asset list the benchmarks measure: the nine fields of the screen's asset grid, with
// names and values shaped like the demo register (one in five rows of type "09").
inline ciap::DataPacket benchAssetPacket(int rows) {
    using ciap::FieldType;
    ciap::DataPacket p;
    p.fields = {
        {"CDEMPRESA", FieldType::String, 2},       {"CDBEMATIVO", FieldType::String, 10},
        {"NMBEMATIVO", FieldType::String, 50},     {"CDPATRIBEMATIVO", FieldType::String, 30},
        {"DTCOMPETECIAP", FieldType::DateTime, 0}, {"VRCOEFICIAP", FieldType::Float, 0},
        {"VRPARCELACIAP", FieldType::Float, 0},    {"IDTPAPROPPISCOF", FieldType::String, 2},
        {"VRAPROPARCCIAP", FieldType::Float, 0}};
    p.rows.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        const double instalment = 1000.0 + i * 0.37;
        p.rows.append({QStringLiteral("01"), QString::number(i).rightJustified(10, u'0'),
                       QStringLiteral("MÁQUINA DE PRODUÇÃO LINHA %1").arg(i % 977),
                       QStringLiteral("PAT-%1").arg(i * 7), QDate(2024, 1 + i % 12, 1), 0.7512,
                       instalment, i % 5 == 0 ? QStringLiteral("09") : QString(),
                       instalment * 0.7512});
    }
    return p;
}
