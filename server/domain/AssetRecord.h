#pragma once

#include <QDate>
#include <QString>

namespace ciap::server {

// One asset of the register, as the rules need it.
struct AssetRecord {
    QString number;       // CDBEMATIVO, ten characters
    QString name;         // NMBEMATIVO
    QString patrimony;    // CDPATRIBEMATIVO
    QString registration; // CDINSCESTA of the establishment it entered
    QDate entry;          // DTENTRADA: the first instalment falls in this month
    double ownIcms = 0;   // the four parts of the ICMS credit
    double stIcms = 0;
    double freightIcms = 0;
    double difalIcms = 0;
    int instalments = 48;      // NRPARCELAS
    QString appropriationType; // IDTPAPROPPISCOF
    QDate exitDate;            // DTSAIDA; invalid while the asset stays
    QString exitKind;          // IDTPSAIDA: "V" sale, "P" loss, "O" other; empty while it stays
};

} // namespace ciap::server
