#pragma once

#include <QMenuBar>
#include <functional>

class QAction;
class QMenu;

// A form's main menu. OnChange runs whenever an item of the menu or of its sub-menus changes
// (caption, enabled, checked, added, removed): Source is the item, Rebuild is true when items
// were added or removed. A change made by the handler itself does not run it again.
class TMainMenu final : public QMenuBar {
    Q_OBJECT
public:
    explicit TMainMenu(QWidget* parent = nullptr);

    std::function<void(QObject* sender, QAction* source, bool rebuild)> OnChange;

    // Adds a sub-menu whose items are watched as well.
    QMenu* addWatchedMenu(const QString& title, const QString& objectName);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QMenu* menu);
    void changed(QAction* source, bool rebuild);
    bool m_inChange = false;
};
