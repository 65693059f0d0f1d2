#include "Admission.h"

#include <QMutexLocker>

namespace ciap::server {

Admission::Admission(Limits limits)
    : m_limits(limits) {}

Admission::Decision Admission::admit(quint64 id, const QHostAddress& address) {
    QMutexLocker lock(&m_mutex);
    Decision d;
    const PerAddress now = m_byAddress.value(address);
    if (now.all >= m_limits.perAddress)
        d.refusal = Refusal::PerAddress;
    else if (now.unauthenticated >= m_limits.unauthenticatedPerAddress)
        d.refusal = Refusal::UnauthenticatedPerAddress;
    if (d.refusal != Refusal::None)
        return d;
    if (int(m_waiting.size()) >= m_limits.unauthenticated) {
        d.evicted = *m_waiting.begin();
        forget(d.evicted, m_entries.value(d.evicted));
    }
    m_entries.insert(id, Entry{address, false});
    PerAddress& mine = m_byAddress[address];
    ++mine.all;
    ++mine.unauthenticated;
    m_waiting.insert(id);
    return d;
}

bool Admission::authenticate(quint64 id) {
    QMutexLocker lock(&m_mutex);
    const auto it = m_entries.find(id);
    if (it == m_entries.end())
        return false;
    if (it->authenticated)
        return true;
    if (m_authenticated >= m_limits.authenticated)
        return false;
    it->authenticated = true;
    ++m_authenticated;
    m_waiting.erase(id);
    --m_byAddress[it->address].unauthenticated;
    return true;
}

void Admission::release(quint64 id) {
    QMutexLocker lock(&m_mutex);
    const auto it = m_entries.constFind(id);
    if (it != m_entries.constEnd())
        forget(id, *it);
}

void Admission::forget(quint64 id, const Entry& entry) {
    auto a = m_byAddress.find(entry.address);
    if (a != m_byAddress.end()) {
        --a->all;
        if (!entry.authenticated)
            --a->unauthenticated;
        if (a->all <= 0)
            m_byAddress.erase(a);
    }
    if (entry.authenticated)
        --m_authenticated;
    m_waiting.erase(id);
    m_entries.remove(id);
}

int Admission::authenticatedCount() const {
    QMutexLocker lock(&m_mutex);
    return m_authenticated;
}

int Admission::unauthenticatedCount() const {
    QMutexLocker lock(&m_mutex);
    return int(m_waiting.size());
}

QString Admission::describe(Refusal refusal) {
    switch (refusal) {
    case Refusal::PerAddress:
        return QStringLiteral("connections per address");
    case Refusal::UnauthenticatedPerAddress:
        return QStringLiteral("unauthenticated connections per address");
    case Refusal::None:
        break;
    }
    return {};
}

QHostAddress Admission::sourceOf(const QHostAddress& peer) {
    bool v4 = false;
    const quint32 ipv4 = peer.toIPv4Address(&v4);
    if (v4)
        return QHostAddress(ipv4);
    if (peer.protocol() != QAbstractSocket::IPv6Protocol)
        return peer;
    Q_IPV6ADDR bytes = peer.toIPv6Address();
    for (int i = 8; i < 16; ++i)
        bytes[i] = 0;
    return QHostAddress(bytes);
}

} // namespace ciap::server
