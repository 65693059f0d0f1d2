#pragma once

#include "DocumentReader.h"
#include "ImportTypes.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace ciap::server {

// Reads and parses the sources on worker threads ahead of the one thread that writes, at
// most `window` documents held at a time: memory stays that of a few documents however many
// files go through. The reader keeps no state, so workers share nothing but the queue.
class ParsePipeline final {
public:
    struct Parsed {
        std::optional<documents::FiscalDocument> document;
        QString refusal; // the reader's, when document is empty
    };

    ParsePipeline(const QList<ImportSource>& sources, int threads, int window);
    ~ParsePipeline(); // stops the workers, whatever is left unread
    ParsePipeline(const ParsePipeline&) = delete;
    ParsePipeline& operator=(const ParsePipeline&) = delete;

    // Blocks until source `index` is parsed; indexes are taken in order, each once.
    Parsed take(int index);

private:
    void work();
    Parsed parse(const ImportSource& source) const;

    const QList<ImportSource>& m_sources;
    const int m_window;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_next = 0;     // the next source a worker parses
    int m_consumed = 0; // sources taken by the writer
    bool m_stop = false;
    std::map<int, Parsed> m_ready;
    std::vector<std::thread> m_workers;
};

} // namespace ciap::server
