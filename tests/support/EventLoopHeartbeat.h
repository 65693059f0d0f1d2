#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Ticks of the event loop while something works: the longest stretch without a tick, how many
// came while the busy indicator was up, and how many paints reached the indicator (on each such
// tick it asks for one, as an animated indicator does). Starts at once.
class EventLoopHeartbeat final : public QObject {
public:
    explicit EventLoopHeartbeat(int intervalMs);
    // The stretch from the last tick to now counts too.
    void stop();

    int busyTicks = 0;
    int paints = 0;
    qint64 longestGapMs = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
};
