#include "ServerFixture.h"

bool ServerFixture::start(QString* why, bool* skip, const QStringList& extraArguments) {
    *skip = false;
    try {
        if (!db.create(why)) {
            *skip = true;
            return false;
        }
        db.reset();
    } catch (const std::exception& e) {
        *why = QStringLiteral("test database: %1").arg(QString::fromUtf8(e.what()));
        return false;
    }
    if (!server.start(db.location(), extraArguments)) {
        *why = server.error();
        return false;
    }
    return true;
}

std::unique_ptr<RpcTestClient> ServerFixture::connect(const QString& token) {
    auto client = std::make_unique<RpcTestClient>();
    client->setToken(token);
    if (!client->connectTo(server.host(), server.port()))
        return nullptr;
    return client;
}
