#include "ServerFixture.h"

ServerFixture::Start ServerFixture::start(const QStringList& extraArguments) {
    try {
        if (!db.create(&error))
            return Start::Skipped;
        db.reset();
    } catch (const std::exception& e) {
        error = QStringLiteral("test database: %1").arg(QString::fromUtf8(e.what()));
        return Start::Failed;
    }
    if (!server.start(db.location(), extraArguments)) {
        error = server.error();
        return Start::Failed;
    }
    return Start::Ready;
}

std::unique_ptr<RpcTestClient> ServerFixture::reset() {
    db.reset();
    return connect();
}

std::unique_ptr<RpcTestClient> ServerFixture::connect(const QString& token) {
    auto client = std::make_unique<RpcTestClient>();
    client->setToken(token);
    if (!client->connectTo(server.host(), server.port()))
        return nullptr;
    return client;
}
