#include "TMainMenu.h"

#include "HostErrors.h"

#include <QActionEvent>
#include <QMenu>

TMainMenu::TMainMenu(QWidget* parent)
    : QMenuBar(parent) {}

QMenu* TMainMenu::addWatchedMenu(const QString& title, const QString& objectName) {
    auto* menu = new QMenu(title, this);
    menu->setObjectName(objectName);
    watch(menu);
    addMenu(menu);
    return menu;
}

void TMainMenu::watch(QMenu* menu) {
    menu->installEventFilter(this);
}

bool TMainMenu::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
    case QEvent::ActionChanged: {
        const bool result = QMenuBar::event(event);
        auto* actionEvent = static_cast<QActionEvent*>(event);
        if (event->type() == QEvent::ActionAdded && actionEvent->action()->menu())
            watch(actionEvent->action()->menu());
        changed(actionEvent->action(), event->type() != QEvent::ActionChanged);
        return result;
    }
    default:
        return QMenuBar::event(event);
    }
}

bool TMainMenu::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
    case QEvent::ActionChanged: {
        auto* actionEvent = static_cast<QActionEvent*>(event);
        if (event->type() == QEvent::ActionAdded && actionEvent->action()->menu())
            watch(actionEvent->action()->menu());
        changed(actionEvent->action(), event->type() != QEvent::ActionChanged);
        break;
    }
    default:
        break;
    }
    return QMenuBar::eventFilter(watched, event);
}

void TMainMenu::changed(QAction* source, bool rebuild) {
    if (m_inChange || !OnChange)
        return;
    m_inChange = true;
    runGuarded([&] { OnChange(this, source, rebuild); });
    m_inChange = false;
}
