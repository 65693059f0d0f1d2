#pragma once

#include <QThread>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace ciap::server {

class DatabaseConfig;
class Session;

// A fixed set of threads, each with its own database session, running queued jobs. A slow
// request occupies one thread; the others keep serving.
class WorkerPool final {
public:
    using Job = std::function<void(Session&)>;

    WorkerPool(const DatabaseConfig& config, int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void submit(Job job);
    // Lets the running jobs finish, drops the queued ones, closes the sessions.
    void stop();
    int size() const { return int(m_threads.size()); }

private:
    void run(int index);

    const DatabaseConfig& m_config;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::vector<std::unique_ptr<QThread>> m_threads;
};

} // namespace ciap::server
