#include "EventLoopHeartbeat.h"

#include "HostServices.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

EventLoopHeartbeat::EventLoopHeartbeat(int intervalMs) {
    m_timer.setInterval(intervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
    m_clock.start();
    m_timer.start();
}

void EventLoopHeartbeat::stop() {
    m_timer.stop();
    longestGapMs = std::max(longestGapMs, m_clock.elapsed() - m_last);
}

bool EventLoopHeartbeat::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && busyIndicatorActive())
        ++paints;
    return QObject::eventFilter(watched, event);
}

void EventLoopHeartbeat::tick() {
    const qint64 now = m_clock.elapsed();
    longestGapMs = std::max(longestGapMs, now - m_last);
    m_last = now;
    if (!busyIndicatorActive())
        return;
    ++busyTicks;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* indicator = w->findChild<QWidget*>(QStringLiteral("busyIndicator"))) {
            indicator->removeEventFilter(this);
            indicator->installEventFilter(this);
            indicator->update();
        }
    }
}
