#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

// The platform's enter and exit events of a form's controls: a control is left when the focus
// moves from it to another control of the same form (not when a dialog or another window takes
// the focus), and a container is entered or left when the focus crosses its border. Control
// exits run first; when one fails (throws) or moves the focus elsewhere, nothing else runs for
// that move, as if the focus had never left. Focus moves made by a running handler are only
// recorded.
class FocusTracker final : public QObject {
    Q_OBJECT
public:
    explicit FocusTracker(QWidget* form);

    void onExit(QWidget* control, std::function<void()> handler);
    void onEnterExit(QWidget* container, std::function<void()> enter, std::function<void()> exit);

    QWidget* lastFocused() const { return m_last; }

private:
    void focusChanged(QWidget* old, QWidget* now);
    static bool within(const QWidget* container, const QWidget* widget);

    struct ControlExit {
        QPointer<QWidget> control;
        std::function<void()> handler;
    };
    struct Container {
        QPointer<QWidget> container;
        std::function<void()> enter;
        std::function<void()> exit;
    };

    QPointer<QWidget> m_form;
    QPointer<QWidget> m_last;
    QList<ControlExit> m_exits;
    QList<Container> m_containers;
    bool m_running = false;
};
