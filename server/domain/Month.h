#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace ciap::server {

// A month of competência. Every month comparison goes through index(), so that the
// instalment count never depends on the day of the month.
class Month final {
public:
    Month() = default;
    Month(int year, int month)
        : m_year(year)
        , m_month(month) {}

    static std::optional<Month> parse(const QString& text); // "MM/YYYY"; nullopt when not a month
    static Month of(const QDate& date);
    static Month fromIndex(int index);

    bool isValid() const { return m_month >= 1 && m_month <= 12 && m_year >= 1 && m_year <= 9999; }
    int year() const { return m_year; }
    int month() const { return m_month; }
    int index() const { return m_year * 12 + m_month - 1; }
    QDate firstDay() const { return QDate(m_year, m_month, 1); }
    QDate lastDay() const { return firstDay().addMonths(1).addDays(-1); }
    QString text() const; // "MM/YYYY"
    Month addMonths(int months) const { return fromIndex(index() + months); }

    friend bool operator==(const Month&, const Month&) = default;
    friend auto operator<=>(const Month& a, const Month& b) { return a.index() <=> b.index(); }

private:
    int m_year = 0;
    int m_month = 0;
};

} // namespace ciap::server
