#pragma once

#include "Month.h"

#include <QDate>
#include <QJsonArray>
#include <QString>
#include <QStringList>

namespace ciap::server {

// The positional arguments of one call. Each getter names the argument (1-based position and
// name) in the -32602 error it throws, so a wrong client call says what to fix.
class Params final {
public:
    // names: one per expected argument; a different count is refused.
    Params(const QString& method, const QJsonArray& values, const QStringList& names);

    QString text(int i) const;    // any string, as sent
    QString company(int i) const; // two characters, left-padded with '0'
    QString tax(int i) const;
    QString asset(int i) const;        // ten characters, left-padded with '0'
    QString registration(int i) const; // trimmed, at most 16 characters
    Month month(int i) const;          // "MM/YYYY"
    qint64 sequence(int i) const;      // NRSEQCIAP as text
    QDate date(int i) const;           // "YYYY-MM-DD" (a time part is ignored)
    double number(int i) const;        // finite number
    bool isNull(int i) const { return m_values.at(i).isNull(); }
    QJsonValue raw(int i) const { return m_values.at(i); }

    [[noreturn]] void fail(int i, const QString& what) const;

private:
    QString code(int i, int width) const;

    QString m_method;
    QJsonArray m_values;
    QStringList m_names;
};

} // namespace ciap::server
