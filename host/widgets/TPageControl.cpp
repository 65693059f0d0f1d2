#include "TPageControl.h"

#include "HostErrors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabBar>

namespace {

// Marks the tab bar's own page changes as the user's.
class UserTabBar final : public QTabBar {
public:
    UserTabBar(int& userAction, QWidget* parent)
        : QTabBar(parent)
        , m_userAction(userAction) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        static_cast<TPageControl*>(parentWidget())->takeFocusFromActivePage();
        ++m_userAction;
        QTabBar::mousePressEvent(event);
        --m_userAction;
    }
    void keyPressEvent(QKeyEvent* event) override {
        ++m_userAction;
        QTabBar::keyPressEvent(event);
        --m_userAction;
    }
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent* event) override {
        static_cast<TPageControl*>(parentWidget())->takeFocusFromActivePage();
        ++m_userAction;
        QTabBar::wheelEvent(event);
        --m_userAction;
    }
#endif

private:
    int& m_userAction;
};

} // namespace

TPageControl::TPageControl(QWidget* parent)
    : QTabWidget(parent) {
    setTabBar(new UserTabBar(m_userAction, this));
    connect(this, &QTabWidget::currentChanged, this, &TPageControl::pageChanged);
}

void TPageControl::SetActivePage(QWidget* sheet) {
    if (sheet != currentWidget())
        takeFocusFromActivePage();
    setCurrentWidget(sheet);
}

void TPageControl::SelectPage(QWidget* sheet) {
    if (sheet != currentWidget())
        takeFocusFromActivePage();
    ++m_userAction;
    setCurrentWidget(sheet);
    --m_userAction;
}

void TPageControl::SetSheetEnabled(QWidget* sheet, bool enabled) {
    const int index = indexOf(sheet);
    if (index >= 0)
        setTabEnabled(index, enabled);
}

bool TPageControl::SheetEnabled(QWidget* sheet) const {
    const int index = indexOf(sheet);
    return index >= 0 && isTabEnabled(index);
}

void TPageControl::takeFocusFromActivePage() {
    QWidget* page = currentWidget();
    QWidget* focus = QApplication::focusWidget();
    if (page && focus && page->isAncestorOf(focus))
        tabBar()->setFocus(Qt::OtherFocusReason);
}

void TPageControl::keyPressEvent(QKeyEvent* event) {
    const bool pageKey = (event->modifiers() & Qt::ControlModifier) &&
                         (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
                          event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown);
    if (pageKey)
        takeFocusFromActivePage();
    ++m_userAction;
    QTabWidget::keyPressEvent(event);
    --m_userAction;
}

void TPageControl::pageChanged() {
    const int index = currentIndex();
    if (index == m_lastIndex)
        return;
    m_lastIndex = index;
    if (m_userAction > 0 && OnChange)
        runGuarded([this] { OnChange(this); });
}
