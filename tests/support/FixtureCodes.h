#pragma once

#include <QString>

// The codes every fixture uses, on the server and on the screen. Company and tax codes differ
// from each other, from "01" and from the second company's, so that a call with two arguments
// swapped, or a query that forgets the company, finds nothing or another company's figures
// instead of passing by chance.
namespace fixture {

inline const QString Company = QStringLiteral("03");
inline const QString CompanyName = QStringLiteral("EMPRESA TESTE LTDA");
// Its own assets and invoices, and a registration "111" like the first company's.
inline const QString OtherCompany = QStringLiteral("04");
inline const QString OtherCompanyName = QStringLiteral("OUTRA EMPRESA SA");
inline const QString Tax = QStringLiteral("07");      // kind "01": the coefficient applies
inline const QString WholeTax = QStringLiteral("08"); // kind "50": the whole balance
inline const QString StTax = QStringLiteral("09");    // kind "60": the whole balance

} // namespace fixture
