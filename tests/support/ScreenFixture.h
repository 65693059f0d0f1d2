#pragma once

#include "FixtureCodes.h"
#include "RecordingDialogService.h"
#include "ScriptedServer.h"

#include <QString>

class TfrmCIAP;

// The screen against the scripted server: the recording dialogs installed, the scripted server
// listening and named as the application server, the screen created. What a screen test starts
// from in initTestCase and ends with in cleanupTestCase.
struct ScreenFixture {
    enum class Window {
        Hidden, // no focus moves at all
        Shown,  // shown but not activated: focus moves are only recorded, no enter or exit runs
        Active, // the active window: focus moves run the controls' enter and exit handlers
    };

    // False with the reason in error.
    bool start(Window window);
    void stop();
    // The filter header's company and tax as the user typed them: fixture::Company and
    // fixture::Tax, which differ, so that a call with the two swapped is seen.
    void fillHeader();

    RecordingDialogService dialogs;
    ScriptedServer server;
    TfrmCIAP* form = nullptr;
    QString error;
};
