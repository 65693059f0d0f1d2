#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QEvent;
class QWidget;

// The platform's enter and exit events of a form's controls: a control is left when the focus
// moves from it to another control of the same form (not when a dialog, a menu or another
// window takes the focus), and a container is entered or left when the focus crosses its
// border. Control exits run first; when one fails (throws) or moves the focus elsewhere,
// nothing else runs for that move, as if the focus had never left. Focus moves made by a
// running handler are only recorded.
//
// When the focus comes back from a dialog, a menu or another window, it goes to the control
// that had it last, which may be the one a failing handler chose: where a window manager or a
// closing menu puts it instead is no move of the user's, and runs no handler.
class FocusTracker final : public QObject {
    Q_OBJECT
public:
    explicit FocusTracker(QWidget* form);

    void onExit(QWidget* control, std::function<void()> handler);
    void onEnterExit(QWidget* container, std::function<void()> enter, std::function<void()> exit);

    QWidget* lastFocused() const { return m_last; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWidget* old, QWidget* now);
    bool returnTo(QWidget* now);
    void runMove(QWidget* last, QWidget* now);
    static bool within(const QWidget* container, const QWidget* widget);
    static bool isAway(const QWidget* widget);

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
    int m_lastReason = 0; // Qt::FocusReason of the latest focus-in
};
