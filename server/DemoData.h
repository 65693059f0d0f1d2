#pragma once

#include <QDate>

namespace ciap::server {

class Session;

// A demo company for trying the product: two state registrations in SP, some dozens of assets
// (one in its first month, one in its 48th, one sold halfway, one with freight and
// rate-differential ICMS, some of appropriation type "09"), two years of outgoing invoices item
// by item (registration A also exports) and a few competências, one appropriated; and a second
// company holding docs/ciap-rules.md's worked example. The assets, the freight, the invoices
// and the sale come from the documents of DemoDocuments through the importer, as a user's
// would; the rest is typed in, the chart and the registrations' defaults through their store,
// the assets through the register's editing, until no asset lacks anything for the tax file.
// Dates are relative to today so that the demo always looks current.
class DemoData final {
public:
    static constexpr const char* Company = "01";
    static constexpr const char* RegistrationA = "110042490114";
    static constexpr const char* RegistrationB = "110042490122";

    // Fills the database when it holds no company; false when it already had data.
    static bool fillIfEmpty(Session& session, const QDate& today);
};

} // namespace ciap::server
