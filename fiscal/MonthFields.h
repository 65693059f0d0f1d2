#pragma once

#include <QString>

class QDate;
class QLineEdit;
class QWidget;

// What the windows that ask for a registration's month (the tax file, the book) type alike:
// company, state registration, MM/AAAA and an optional tax, with the screen's limits.
struct MonthFields {
    QLineEdit* company = nullptr;      // edtEmpresa
    QLineEdit* registration = nullptr; // edtInscricao
    QLineEdit* month = nullptr;        // edtCompetencia
    QLineEdit* tax = nullptr;          // edtImposto

    static MonthFields create(QWidget* parent);
};

// The first thing the user has to fix in what was typed, in Portuguese; empty when it will do.
QString checkTypedMonth(const QString& company, const QString& registration, const QString& month);

// The first day of a typed "MM/AAAA"; invalid when it is none.
QDate typedMonth(const QString& month);
