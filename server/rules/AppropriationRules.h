#pragma once

#include <QList>
#include <QString>

namespace ciap::server {

// The figures of an appropriated month as the tax file carries them (EFD ICMS/IPI, G110):
// the coefficient IND_PER_SAI at 8 decimals, the credit ICMS_APROP = SOM_PARC × IND_PER_SAI
// in cents, and the assets' shares in cents adding up to that credit exactly.
class AppropriationRules final {
public:
    static constexpr qint64 IndexOne = 100000000; // 1,00000000

    struct Result {
        qint64 index = 0; // the coefficient in units of 1e-8
        qint64 creditCents = 0;
        QList<qint64> shares; // each instalment's appropriated cents, in the order given
    };

    // The coefficient of the month's figures (the table of docs/ciap-rules.md) at 8 decimals:
    // taxed ÷ total rounded half up; 0 or 1 where the table says so. Never divides by zero.
    static qint64 index(qint64 totalCents, qint64 taxedCents, const QString& taxKind);
    // Kinds "50" and "60" take the whole balance; every other kind the balance times the
    // coefficient, rounded half up to the cent and shared by largest remainder (ties to the
    // earlier instalment), so that no cent is made or lost between the assets and the month.
    static Result appropriate(qint64 totalCents, qint64 taxedCents, const QString& taxKind,
                              const QList<qint64>& instalmentCents);
};

} // namespace ciap::server
