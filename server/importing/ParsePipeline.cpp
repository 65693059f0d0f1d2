#include "ParsePipeline.h"

namespace ciap::server {

ParsePipeline::ParsePipeline(const QList<ImportSource>& sources, int threads, int window)
    : m_sources(sources)
    , m_window(std::max(1, window)) {
    for (int i = 0; i < std::max(1, threads); ++i)
        m_workers.emplace_back([this] { work(); });
}

ParsePipeline::~ParsePipeline() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& t : m_workers)
        t.join();
}

ParsePipeline::Parsed ParsePipeline::parse(const ImportSource& source) const {
    Parsed out;
    try {
        out.document = source.path.isEmpty() ? documents::readDocument(source.bytes)
                                             : documents::readDocumentFile(source.path);
    } catch (const documents::DocumentError& e) {
        out.refusal = e.text();
    } catch (const std::bad_alloc&) {
        out.refusal = QStringLiteral("Memória insuficiente para ler o arquivo.");
    }
    return out;
}

void ParsePipeline::work() {
    for (;;) {
        int index = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] {
                return m_stop || m_next >= int(m_sources.size()) || m_next < m_consumed + m_window;
            });
            if (m_stop || m_next >= int(m_sources.size()))
                return;
            index = m_next++;
        }
        Parsed parsed = parse(m_sources[index]);
        {
            std::lock_guard lock(m_mutex);
            m_ready.emplace(index, std::move(parsed));
        }
        m_changed.notify_all();
    }
}

ParsePipeline::Parsed ParsePipeline::take(int index) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_ready.count(index) > 0; });
    Parsed out = std::move(m_ready.at(index));
    m_ready.erase(index);
    m_consumed = index + 1;
    lock.unlock();
    m_changed.notify_all();
    return out;
}

} // namespace ciap::server
