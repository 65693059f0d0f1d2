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

// Shows what the work threw, through the dialog service (an EAbort was shown already), and hands
// it back as an EAbort for the caller to raise once its own clean-up is done: a failure is told
// at once, then aborts silently. nullptr when the work did not throw.
std::exception_ptr runShowingFailure(const std::function<void()>& work);

// The one place where an event handler's exception ends: shown as by runShowingFailure, then
// swallowed. Returns false when the handler threw.
bool runGuarded(const std::function<void()>& handler);
