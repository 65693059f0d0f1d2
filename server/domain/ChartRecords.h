#pragma once

#include <QDate>
#include <QString>

namespace ciap::server {

// An account of the chart of accounts that assets are booked to (EFD 0500).
struct AccountRecord {
    QString code; // CDCONTA
    QString name;
    QString nature = QStringLiteral("01"); // COD_NAT_CC: 01 asset accounts
    bool synthetic = false;                // IND_CTA S; analytic accounts take entries
    int level = 1;
    QDate changed; // DT_ALT: when it was included or last changed
};

// A cost centre (EFD 0600).
struct CostCentreRecord {
    QString code;
    QString name;
    QDate changed;
};

// What a registration gives the tax file besides its identity: the account and cost centre an
// asset takes when it has none of its own, and 0000's profile and activity.
struct EfdSettings {
    QString account;
    QString costCentre;
    QString profile = QStringLiteral("A"); // IND_PERFIL A, B or C
    bool industrial = false;               // IND_ATIV 0; 1 for any other activity
};

} // namespace ciap::server
