#pragma once

#include "RpcTestClient.h"
#include "ServerProcess.h"
#include "TestDatabase.h"

#include <memory>

// A real server on a fresh database of the backend the suite runs for (TestDatabase): what a
// server suite starts in initTestCase and resets in init.
class ServerFixture final {
public:
    enum class Start { Ready, Skipped, Failed };

    // Skipped when the backend the suite runs for is not configured here; Failed with the
    // reason in error.
    Start start(const QStringList& extraArguments = {});
    // The database back to the fixture's rows, and a client connected; nullptr when it does
    // not connect.
    std::unique_ptr<RpcTestClient> reset();
    std::unique_ptr<RpcTestClient> connect(const QString& token = {});

    TestDatabase db;
    ServerProcess server;
    QString error;
};
