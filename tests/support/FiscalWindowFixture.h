#pragma once

#include "RecordingDialogService.h"
#include "ServerProcess.h"

#include <QTemporaryDir>
#include <QVariant>

class AssetRegisterWindow;

// The register and import windows against the real server, each test on a database of its
// own: a new SQLite file with one company, FiscalWindowFixture::Company, holding the samples'
// registration (tests/documents/data), the host pointed at the server and its registers
// opened on the same file, and the recording dialogs installed.
struct FiscalWindowFixture {
    static inline const QString Company = QStringLiteral("05");

    bool start(); // false with the reason in error
    bool stop();  // the window closed, the registers and the server too

    // "Cadastro de Bens CIAP" opened and loaded for the company and the samples' registration.
    AssetRegisterWindow* openRegister();
    // The samples' documents sent through the import, as the dialog sends them.
    void importSamples(const QStringList& names, bool assets);

    QVariant scalar(const QString& sql, const QVariantList& values = {});
    void exec(const QString& sql, const QVariantList& values = {});

    QTemporaryDir dir;
    QString database;
    ServerProcess server;
    RecordingDialogService dialogs;
    QString error;
    int run = 0;
};
