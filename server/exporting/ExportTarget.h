#pragma once

#include "CompetenciaRow.h"
#include "Month.h"
#include "RegisterRecords.h"

#include <QList>
#include <QString>
#include <optional>

namespace ciap::server {

class Session;

// Whose month is exported, as the tax file and the book both need it.
struct ExportTarget {
    QString companyName;
    QString registration; // the stored code the one typed matched
    Registration details;
};

// The company and registration as typed, matched as the screen matches them; refused when
// either is not registered.
ExportTarget resolveExportTarget(Session& session, const QString& company,
                                 const QString& registration);

// The competência a month is exported from: the tax's when one is named (refused when the month
// has none of it), else the month's one appropriated competência (refused when there are
// several), else its pending one; nullopt for a month without any.
std::optional<CompetenciaRow> exportedCompetencia(const QList<CompetenciaRow>& month,
                                                  const Month& which, const QString& tax);

// A registration's code as a file name takes it: letters and digits only.
QString plainCode(const QString& code);

} // namespace ciap::server
