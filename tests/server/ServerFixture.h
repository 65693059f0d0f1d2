#pragma once

#include "RpcTestClient.h"
#include "ServerProcess.h"
#include "TestDatabase.h"

#include <memory>

// A real server on a fresh database of the backend the test runs for.
class ServerFixture final {
public:
    // False with the reason in *why; *skip tells whether the test should skip rather than fail.
    bool start(QString* why, bool* skip, const QStringList& extraArguments = {});
    std::unique_ptr<RpcTestClient> connect(const QString& token = {});

    TestDatabase db;
    ServerProcess server;
};
