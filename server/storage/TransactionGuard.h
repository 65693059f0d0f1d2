#pragma once

#include <QtGlobal>

namespace ciap::server {

class Session;

// A write transaction that is rolled back unless commit() ran: an exception anywhere in a
// handler leaves the database as it was.
class TransactionGuard final {
public:
    explicit TransactionGuard(Session& session); // throws StorageError
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

    void commit(); // throws StorageError; the transaction is then rolled back

private:
    Session& m_session;
    quint64 m_generation = 0;
    bool m_open = false;
};

} // namespace ciap::server
