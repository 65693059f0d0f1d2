#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <functional>

// A failure with the text the user is to read; not yet shown.
class EHostError : public std::exception {
public:
    explicit EHostError(QString text);
    const QString& text() const { return m_text; }
    const char* what() const noexcept override;

private:
    QString m_text;
    QByteArray m_what;
};

// The operation was aborted and its reason already shown to the user (MensErro,
// CheckResultServ): whoever catches it shows nothing more.
class EAbort final : public EHostError {
public:
    explicit EAbort(QString text = {});
};

// The one place where an event handler's exception ends: EAbort is swallowed, any other
// error is shown through the dialog service. Returns false when the handler threw.
bool runGuarded(const std::function<void()>& handler);
