#pragma once

#include <QString>

namespace ciap::server {

struct TaxInfo {
    QString code; // CDIMPOSTO
    QString name; // NMIMPOSTO
    QString kind; // CDTIPOIMPOSTO: "50" and "60" take the whole balance
};

} // namespace ciap::server
