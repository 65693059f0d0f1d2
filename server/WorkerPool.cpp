#include "WorkerPool.h"

#include "ServerLog.h"
#include "Session.h"

namespace ciap::server {

WorkerPool::WorkerPool(const DatabaseConfig& config, int threads)
    : m_config(config) {
    for (int i = 0; i < std::max(1, threads); ++i) {
        std::unique_ptr<QThread> t(QThread::create([this, i] { run(i); }));
        t->setObjectName(QStringLiteral("ciap-worker-%1").arg(i));
        t->start();
        m_threads.push_back(std::move(t));
    }
}

WorkerPool::~WorkerPool() {
    stop();
}

void WorkerPool::submit(Job job) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void WorkerPool::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    for (auto& t : m_threads)
        t->wait();
    m_threads.clear();
}

void WorkerPool::run(int index) {
    Session session(m_config, QStringLiteral("ciap-worker-%1").arg(index));
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        try {
            job(session);
        } catch (const std::exception& e) {
            // Jobs answer their own errors; reaching here is a bug, not a reason to stop serving.
            qCCritical(lcRpc, "worker job failed: %s", e.what());
        }
    }
}

} // namespace ciap::server
