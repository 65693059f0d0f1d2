#pragma once

#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QString>
#include <set>

namespace ciap::server {

// Who gets a connection slot. A connection starts unauthenticated, in a small pool of its own
// (overall and per address), and moves to the authenticated slots with its first request that
// passes the token check. So sockets that never authenticate - idle, half-open, or sending a
// wrong token - can hold only unauthenticated places, never the slots of the clients that
// did, and one address cannot hold more than its share of either.
// Thread-safe: the listener admits, each connection's thread authenticates and releases.
class Admission final {
public:
    struct Limits {
        int authenticated = 256;            // --max-connections
        int unauthenticated = 64;           // --max-unauthenticated
        int perAddress = 128;               // --max-per-address: all of one address's
        int unauthenticatedPerAddress = 16; // --max-unauthenticated-per-address
    };
    enum class Refusal { None, PerAddress, UnauthenticatedPerAddress };
    struct Decision {
        Refusal refusal = Refusal::None;
        // When the unauthenticated pool was full, its oldest connection, which must now be
        // closed to make room (0: none). A flood from many addresses then only churns the
        // pool: a client that authenticates promptly still gets through.
        quint64 evicted = 0;
    };

    explicit Admission(Limits limits);

    // address: the source, as sourceOf gives it.
    Decision admit(quint64 id, const QHostAddress& address);
    // False when every authenticated slot is taken (or the connection was evicted meanwhile).
    bool authenticate(quint64 id);
    void release(quint64 id);

    int authenticatedCount() const;
    int unauthenticatedCount() const;
    const Limits& limits() const { return m_limits; }
    static QString describe(Refusal refusal);
    // What counts as one address: an IPv4 address (also when mapped into IPv6), or the /64
    // network of an IPv6 address, which one host usually has whole.
    static QHostAddress sourceOf(const QHostAddress& peer);

private:
    struct Entry {
        QHostAddress address;
        bool authenticated = false;
    };
    struct PerAddress {
        int all = 0;
        int unauthenticated = 0;
    };

    void forget(quint64 id, const Entry& entry);

    const Limits m_limits;
    mutable QMutex m_mutex;
    QHash<quint64, Entry> m_entries;
    QHash<QHostAddress, PerAddress> m_byAddress;
    std::set<quint64> m_waiting; // the unauthenticated, oldest first (ids only grow)
    int m_authenticated = 0;
};

} // namespace ciap::server
