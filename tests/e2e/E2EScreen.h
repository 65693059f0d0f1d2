#pragma once

#include "Cli_mzr02400.h"
#include "HostApplication.h"
#include "TfrmCIAP.h"

#include <QTest>
#include <QWidget>

// Opens the screen as the host does (IniProc) and waits until its window is active, so that
// focus moves behave as for a person. False when no screen or no active window came up.
inline bool openActiveScreen() {
    IniProc();
    if (!frmCIAP)
        return false;
    QWidget* window = HostApplication::windowOf(frmCIAP);
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// Closes the open screen, if any, and waits until it is gone. False when it stayed.
inline bool closeScreen() {
    if (!frmCIAP)
        return true;
    HostApplication::windowOf(frmCIAP)->close();
    return QTest::qWaitFor([] { return !frmCIAP; });
}
