#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <QtGlobal>

class TfrmCIAP;

// The screen unit: its entry, the routine that creates and shows the one screen, and the
// module-wide values that several handlers share. The globals keep C names so the host's
// package loader finds them as they are called.
extern "C" {
Q_DECL_EXPORT extern TfrmCIAP* frmCIAP;     // the single screen instance
Q_DECL_EXPORT extern bool boIdCriado;       // the screen has been created
Q_DECL_EXPORT extern QString stCompetencia; // "01/" + COMPETENCIA of the row being posted
Q_DECL_EXPORT extern QDate dtData;          // stCompetencia as a date
Q_DECL_EXPORT extern QString stBemDel;      // asset number of the asset row being deleted
Q_DECL_EXPORT extern QDate dtCopetDel;      // competência date of the asset row being deleted
Q_DECL_EXPORT extern QVariant oleImposto;   // getVerificaImposto answer of the committed filter

Q_DECL_EXPORT void IniProc();
Q_DECL_EXPORT void criaCIAP();
}

// The unit's start-up and shut-down steps, run by the package hooks.
void Cli_mzr02400_Initialization();
void Cli_mzr02400_Finalization();

// The period the date edits default to when the screen is (re)opened: 30 days before the
// start, moved to the first of that month; the end moved to the first of its month.
QDate defaultPeriodStart(const QDate& start);
QDate defaultPeriodEnd(const QDate& end);
