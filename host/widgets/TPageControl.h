#pragma once

#include <QTabWidget>
#include <functional>

// Page control with tab sheets. OnChange runs when the user changes the active page (tab
// click, keyboard, wheel) or when a page is selected as the user would (SelectPage); setting
// the active page from code (SetActivePage) does not run it.
class TPageControl final : public QTabWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    QWidget* ActivePage() const { return currentWidget(); }
    void SetActivePage(QWidget* sheet);
    void SelectPage(QWidget* sheet);

    // A disabled sheet's controls are disabled and its tab cannot be picked.
    void SetSheetEnabled(QWidget* sheet, bool enabled);
    bool SheetEnabled(QWidget* sheet) const;

    std::function<void(QObject* sender)> OnChange;

    // Hiding a page that holds the focus would send the focus to the next control in the
    // form's tab order, wherever that is (another panel, whose enter handler then runs). As on
    // the platform, the page control takes the focus itself before its page changes.
    void takeFocusFromActivePage();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pageChanged();
    int m_userAction = 0;
    int m_lastIndex = -1;
};
