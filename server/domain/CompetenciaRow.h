#pragma once

#include "Month.h"

#include <QString>

namespace ciap::server {

// One stored competência. Its identity is (company, tax, sequence); its business key is
// (company, tax, registration, month).
struct CompetenciaRow {
    QString company;
    QString tax;
    qint64 sequence = 0;
    QString registration;
    Month month;
    double total = 0; // VRSAIDACIAP
    double taxed = 0; // VRSAIDATRIBCIAP
    double coefficient = 0;
    double balance = 0; // VRSALDOPARCCIAP
    double credit = 0;  // VRCREDAPROPCIAP
    QString situation = QStringLiteral("P");
    int assetCount = 0;
    QString companyName; // filled by the list only
    QString taxName;

    bool appropriated() const { return situation == QLatin1String("A"); }
};

} // namespace ciap::server
