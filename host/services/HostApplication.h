#pragma once

#include <QPointer>

class QMainWindow;
class QMdiArea;
class QWidget;

// The host application's main window as packages see it: a package creates its screens as
// children of the registered MDI area, or as top-level windows when no host window is
// registered (tests, a package run on its own).
class HostApplication final {
public:
    static void setMainWindow(QMainWindow* window);
    static QMainWindow* mainWindow();
    static void setMdiArea(QMdiArea* area);
    static QMdiArea* mdiArea();

    // Puts a form into the host: an MDI sub-window of the registered area (sized so that the
    // form gets its own size), else the form itself as a window. Returns the window that
    // holds the form; the form is not shown yet.
    static QWidget* adoptForm(QWidget* form);
    // The window that holds the form: its MDI sub-window, or the form itself.
    static QWidget* windowOf(QWidget* form);
    // Shows the form's window, in front, leaving its window state alone.
    static void show(QWidget* form);
    // Shows the form's window in normal state (neither minimised nor maximised), in front.
    static void showNormal(QWidget* form);

private:
    static QPointer<QMainWindow> s_mainWindow;
    static QPointer<QMdiArea> s_mdiArea;
};
