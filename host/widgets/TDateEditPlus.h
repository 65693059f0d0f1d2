#pragma once

#include <QDate>
#include <QLineEdit>
#include <QStringList>

// Date entry dd/MM/yyyy without time part, which may also hold no date. A valid date is shown
// in blue. Starts with the current date.
class TDateEditPlus final : public QLineEdit {
    Q_OBJECT
public:
    explicit TDateEditPlus(QWidget* parent = nullptr);

    QString Text() const;            // "" when no digit has been typed, else the typed text
    QDate GetDate() const;           // invalid when empty or not a date
    void SetDate(const QDate& date); // an invalid date clears the edit
    // A text that is not empty and not a date: focus comes back here, the error is shown and
    // the operation aborted (EAbort).
    void CheckValidDate();

    QStringList DayNames; // Sunday first

private:
    void updateColour();
    QColor m_defaultText;
};
