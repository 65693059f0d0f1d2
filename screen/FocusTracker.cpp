#include "FocusTracker.h"

#include "HostErrors.h"

#include <QApplication>
#include <QWidget>

FocusTracker::FocusTracker(QWidget* form)
    : QObject(form)
    , m_form(form) {
    connect(qApp, &QApplication::focusChanged, this, &FocusTracker::focusChanged);
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

void FocusTracker::focusChanged(QWidget*, QWidget* now) {
    // Focus going to another window (a dialog, another form) is no move between controls;
    // when it comes back, the move is counted from the control that had it last.
    if (!m_form || !within(m_form, now))
        return;
    const QPointer<QWidget> last = m_last;
    m_last = now;
    if (m_running || last == now)
        return;
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
