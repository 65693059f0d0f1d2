#pragma once

#include <QObject>

class QSocketNotifier;

namespace ciap::server {

// Turns SIGTERM and SIGINT into a Qt signal on the main thread (a signal handler may only
// write to a pipe), so that shutdown runs as ordinary code.
class SignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

Q_SIGNALS:
    void terminationRequested(int signal);

private:
    static void handle(int signal);
    static int s_fds[2];
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace ciap::server
