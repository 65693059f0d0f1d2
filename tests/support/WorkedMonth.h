#pragma once

// docs/ciap-rules.md's worked example, January 2024, brought in as a user does it: the demo's
// documents of its second company imported, the register completed for the tax file (accounts,
// cost centres, registration defaults, the assets' functions and item codes, the rate
// differential, the Caminhão's sale with its invoice typed by key and buyer), and the
// competência loaded and appropriated by the server's own services.

#include <QDate>
#include <QString>

namespace ciap::server {
class Session;
}

namespace worked {

inline const QString Company = QStringLiteral("02");
inline const QString Registration = QStringLiteral("207165890119");
inline const QString Tax = QStringLiteral("01");      // kind "01": the coefficient applies
inline const QString WholeTax = QStringLiteral("05"); // kind "50": the whole balance
inline const QString Account = QStringLiteral("1.2.3.01.001");
inline const QString CostCentre = QStringLiteral("PRODUCAO");
inline const QString Customer = QStringLiteral("66777888000181"); // buyer of the Caminhão
inline const QString Supplier = QStringLiteral("22333444000181"); // seller of the four assets

// The sale NF-e of the Caminhão: series 1, number 6, 20/01/2024.
QString saleKey();

// Every table emptied, then the register of the worked example (no competência).
void buildRegister(ciap::server::Session& session);
// The competência of the month for the tax, loaded ("BEM" and "IMP") and, when asked,
// appropriated; its sequence.
qint64 addCompetencia(ciap::server::Session& session, const QString& tax, int year, int month,
                      bool appropriate = true);

} // namespace worked
