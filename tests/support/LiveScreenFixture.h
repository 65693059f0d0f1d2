#pragma once

#include "RecordingDialogService.h"
#include "ServerProcess.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The screen as the host opens it (IniProc), against the real server, on a database that the
// host's own registers read too: what an end-to-end test starts from. The screen is the unit's
// frmCIAP once open.
struct LiveScreenFixture {
    // The server on database (by default ciap.sqlite in dir) with the given arguments (by
    // default the demo data), the host pointed at it and its registers opened on it, the
    // recording dialogs installed and the screen unit initialised. False with the reason in error.
    bool start(const QString& database = {},
               const QStringList& serverArguments = {QStringLiteral("--demo")});
    // The screen closed, the registers and the server too. False when one of them stayed.
    bool stop();
    // The server started again on the same database, with the arguments of start(), and the
    // host pointed at it.
    bool startServer();

    // IniProc, then its window made active, so that focus moves behave as for a person. False
    // when no screen or no active window came up.
    bool openScreen();
    // Closes the open screen, if any, and waits until it is gone. False when it stayed.
    bool closeScreen();

    QTemporaryDir dir;
    QString database;
    QStringList serverArguments;
    ServerProcess server;
    RecordingDialogService dialogs;
    QString error;
};
