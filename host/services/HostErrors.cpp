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

bool runGuarded(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const EAbort&) {
        // already shown to the user
    } catch (const EHostError& e) {
        DialogService::instance().showMessage(DialogKind::Error, e.text());
    } catch (const std::exception& e) {
        DialogService::instance().showMessage(DialogKind::Error, QString::fromUtf8(e.what()));
    }
    return false;
}
