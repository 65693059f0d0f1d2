#pragma once

#include <QByteArray>
#include <optional>

namespace ciap {

// Splits a byte stream into '\n'-terminated frames. Chunks arrive in any size; a frame longer
// than the limit is an error (overflowed() turns true and stays so): the peer must be dropped.
// The limit holds while a frame is still arriving, so memory stays bounded by it. Empty lines
// are skipped and a '\r' before the '\n' is dropped. Every frame comes with Padding bytes of
// capacity behind its end, which the JSON reader reads past the text: it then reads a frame
// in place instead of copying it.
class FrameReader {
public:
    static constexpr qsizetype DefaultMaxFrame = 256 * 1024 * 1024; // 256 MiB
    static constexpr qsizetype Padding = 64;

    explicit FrameReader(qsizetype maxFrame = DefaultMaxFrame);

    void append(const QByteArray& chunk);
    std::optional<QByteArray> next(); // next complete frame without its '\n'
    // What has arrived of the frame next() will give once it is complete (so far nothing
    // before it has changed): for a reader that starts on it while it arrives.
    QByteArrayView partial() const;
    bool overflowed() const { return m_overflowed; }
    qsizetype buffered() const;

private:
    QByteArray m_buffer;
    qsizetype m_start = 0;
    qsizetype m_scanned = 0;
    qsizetype m_lineEnd = 0; // just after the last '\n' in m_buffer
    qsizetype m_maxFrame;
    bool m_overflowed = false;
    bool m_overflowAfterDrain = false; // frames complete before the overflow are still given
};

} // namespace ciap
