#include "FocusTracker.h"

#include "HostErrors.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>

FocusTracker::FocusTracker(QWidget* form)
    : QObject(form)
    , m_form(form) {
    connect(qApp, &QApplication::focusChanged, this, &FocusTracker::focusChanged);
    // The reason of a focus-in is only in its event, which reaches the widget right before
    // focusChanged is emitted; and a window activated without a focus change is only an event.
    qApp->installEventFilter(this);
}

void FocusTracker::onExit(QWidget* control, std::function<void()> handler) {
    m_exits.append({control, std::move(handler)});
}

void FocusTracker::onEnterExit(QWidget* container, std::function<void()> enter,
                               std::function<void()> exit) {
    m_containers.append({container, std::move(enter), std::move(exit)});
}

bool FocusTracker::within(const QWidget* container, const QWidget* widget) {
    return container && widget && (container == widget || container->isAncestorOf(widget));
}

bool FocusTracker::isAway(const QWidget* widget) {
    // A menu bar takes the focus only while it is used, and gives it back when left.
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (qobject_cast<const QMenuBar*>(w) || qobject_cast<const QMenu*>(w))
            return true;
    return false;
}

bool FocusTracker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        m_lastReason = static_cast<QFocusEvent*>(event)->reason();
    } else if (event->type() == QEvent::WindowActivate && m_form && watched == m_form->window() &&
               m_last && !m_running) {
        // A window manager may activate the window without giving the focus to any control
        // of it; the control that had it gets it back, once the activation is through.
        QTimer::singleShot(0, this, [this] {
            QWidget* focus = QApplication::focusWidget();
            if (m_form && m_last && m_form->window()->isActiveWindow() &&
                (!focus || focus->window() != m_form->window()))
                returnTo(focus);
        });
    }
    return QObject::eventFilter(watched, event);
}

bool FocusTracker::returnTo(QWidget* now) {
    QWidget* last = m_last;
    if (!last || last == now || !last->isVisible() || !last->isEnabled() ||
        last->focusPolicy() == Qt::NoFocus)
        return false;
    last->setFocus(Qt::ActiveWindowFocusReason);
    return true;
}

void FocusTracker::focusChanged(QWidget*, QWidget* now) {
    // Focus going to another window (a dialog, another form) or to a menu is no move between
    // controls; when it comes back, the move is counted from the control that had it last.
    if (!m_form || !within(m_form, now) || isAway(now))
        return;
    const bool comesBack = m_lastReason == Qt::ActiveWindowFocusReason ||
                           m_lastReason == Qt::PopupFocusReason ||
                           m_lastReason == Qt::MenuBarFocusReason;
    if (comesBack && !m_running && returnTo(now))
        return;
    const QPointer<QWidget> last = m_last;
    m_last = now;
    if (m_running || last == now)
        return;
    runMove(last, now);
}

void FocusTracker::runMove(QWidget* last, QWidget* now) {
    m_running = true;
    const auto stillThere = [now] { return QApplication::focusWidget() == now; };
    bool goOn = true;
    for (const ControlExit& e : std::as_const(m_exits)) {
        if (!goOn)
            break;
        if (within(e.control, last) && !within(e.control, now))
            goOn = runGuarded(e.handler) && stillThere();
    }
    for (const Container& c : std::as_const(m_containers)) {
        if (!goOn)
            break;
        const bool wasIn = within(c.container, last);
        const bool isIn = within(c.container, now);
        if (!wasIn && isIn && c.enter)
            goOn = runGuarded(c.enter) && stillThere();
        else if (wasIn && !isIn && c.exit)
            goOn = runGuarded(c.exit) && stillThere();
    }
    m_running = false;
}
