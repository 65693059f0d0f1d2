#pragma once

namespace ciap::server {

class Session;

// A transaction that only reads, so that what is read together (a month's figures and the
// assets behind them) is one state of the database even while others write. It takes no write
// lock and is rolled back when it goes.
class ReadSnapshot final {
public:
    explicit ReadSnapshot(Session& session); // throws StorageError
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    Session& m_session;
};

} // namespace ciap::server
