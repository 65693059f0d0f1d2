#include "HostApplication.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

QPointer<QMainWindow> HostApplication::s_mainWindow;
QPointer<QMdiArea> HostApplication::s_mdiArea;

void HostApplication::setMainWindow(QMainWindow* window) {
    s_mainWindow = window;
}

QMainWindow* HostApplication::mainWindow() {
    return s_mainWindow.data();
}

void HostApplication::setMdiArea(QMdiArea* area) {
    s_mdiArea = area;
}

QMdiArea* HostApplication::mdiArea() {
    return s_mdiArea.data();
}

QWidget* HostApplication::adoptForm(QWidget* form) {
    if (!s_mdiArea)
        return form;
    const QSize formSize = form->size();
    QMdiSubWindow* sub = s_mdiArea->addSubWindow(form);
    sub->setWindowIcon(form->windowIcon());
    // The sub-window's frame comes on top of the form's own size.
    sub->resize(formSize + (sub->size() - sub->contentsRect().size()));
    form->resize(formSize);
    return sub;
}

QWidget* HostApplication::windowOf(QWidget* form) {
    if (!form)
        return nullptr;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget()))
        return sub;
    return form->window();
}

void HostApplication::showNormal(QWidget* form) {
    QWidget* window = windowOf(form);
    if (!window)
        return;
    window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    show(form);
}

void HostApplication::show(QWidget* form) {
    QWidget* window = windowOf(form);
    if (!window)
        return;
    window->show();
    form->show();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window)) {
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
    } else {
        window->raise();
        window->activateWindow();
    }
}
