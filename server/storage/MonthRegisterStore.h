#pragma once

#include "CompetenciaRow.h"
#include "RegisterRecords.h"

#include <QList>

namespace ciap::server {

class Session;

// What the tax file and the CIAP book read of a registration's month: its competências (one
// per tax), the assets loaded into one with everything the register keeps of them, and the
// assets that leave in the month without having been loaded (where the state grants no
// instalment in the month of the exit). Reads only.
class MonthRegisterStore final {
public:
    explicit MonthRegisterStore(Session& session)
        : m_session(session) {}

    // By tax, each with its tax's name.
    QList<CompetenciaRow> competencias(const QString& company, const QString& registration,
                                       const Month& month);
    // By asset code; amounts as stored, to the cent. Documents::OfTheMonth leaves out the
    // documents of entries and exits outside the month, which a large month reads faster.
    enum class Documents { All, OfTheMonth };
    QList<MonthAsset> loadedAssets(const CompetenciaRow& row, Documents documents = Documents::All);
    // The registration's assets whose exit falls in the month and that the competência does
    // not hold, by asset code.
    QList<RegisterAsset> leavingUnloaded(const CompetenciaRow& row);

private:
    Session& m_session;
};

} // namespace ciap::server
