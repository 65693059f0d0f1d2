#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

namespace ciap::admin {

// A command line the user got wrong: the text says what, in Portuguese; the exit status is 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const QString& text)
        : std::runtime_error(text.toStdString())
        , m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

// The options of one command: "--name value" (or "--name=value") and flags, then positional
// arguments. Values are checked as the command reads them, so a mistake names its option.
class AdminArguments final {
public:
    // valued: the options that take a value; flags: those that do not; positional: whether
    // anything else may follow.
    AdminArguments(const QStringList& arguments, const QStringList& valued,
                   const QStringList& flags, bool positional = false);

    bool has(const QString& name) const {
        return m_values.contains(name) || m_flags.contains(name);
    }
    QString text(const QString& name) const { return m_values.value(name); }
    std::optional<QString> optionalText(const QString& name) const;
    QString required(const QString& name) const;
    const QStringList& positional() const { return m_positional; }

    // Typed readings; nullopt when the option is absent, UsageError when badly written.
    std::optional<int> number(const QString& name, int min, int max) const;
    std::optional<qint64> cents(const QString& name) const;    // "1234,56", "1.234,56", "1234.56"
    std::optional<qint64> quantity(const QString& name) const; // up to five decimals
    std::optional<QDate> date(const QString& name) const;      // DD/MM/AAAA
    QList<int> numbers(const QString& name) const;             // "1,3,4"

    static std::optional<qint64> parseCents(const QString& text);

private:
    QHash<QString, QString> m_values;
    QStringList m_flags;
    QStringList m_positional;
};

} // namespace ciap::admin
