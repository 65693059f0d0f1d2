#include "HostErrors.h"

#include "DialogService.h"

EHostError::EHostError(QString text)
    : m_text(std::move(text))
    , m_what(m_text.toUtf8()) {}

const char* EHostError::what() const noexcept {
    return m_what.constData();
}

EAbort::EAbort(QString text)
    : EHostError(std::move(text)) {}

std::exception_ptr runShowingFailure(const std::function<void()>& work) {
    QString text;
    try {
        work();
        return nullptr;
    } catch (const EAbort&) {
        return std::current_exception(); // already shown to the user
    } catch (const EHostError& e) {
        text = e.text();
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    }
    DialogService::instance().showMessage(DialogKind::Error, text);
    return std::make_exception_ptr(EAbort(text));
}

bool runGuarded(const std::function<void()>& handler) {
    return !runShowingFailure(handler);
}
