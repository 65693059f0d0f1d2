#pragma once

namespace ciap::server {

class Session;

// A unit inside a write transaction (a TransactionGuard): rolled back to where it began
// unless release() ran, leaving the rest of the transaction as it was. One imported file is
// one such unit, so that a batch commits the good files and none of a refused one.
class Savepoint final {
public:
    explicit Savepoint(Session& session); // throws StorageError
    ~Savepoint();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

    void release(); // throws StorageError; the savepoint is then rolled back to

private:
    Session& m_session;
    bool m_open = false;
};

} // namespace ciap::server
