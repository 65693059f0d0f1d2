#include "FrameReader.h"

namespace ciap {

namespace {
constexpr qsizetype CompactThreshold = 64 * 1024;
}

FrameReader::FrameReader(qsizetype maxFrame)
    : m_maxFrame(maxFrame > 0 ? maxFrame : DefaultMaxFrame) {}

void FrameReader::append(const QByteArray& chunk) {
    if (m_overflowed || m_overflowAfterDrain || chunk.isEmpty())
        return;
    const qsizetype newline = chunk.lastIndexOf('\n');
    const qsizetype partialBefore = m_buffer.size() - std::max(m_lineEnd, m_start);
    const qsizetype partialAfter =
        newline >= 0 ? chunk.size() - newline - 1 : partialBefore + chunk.size();
    if (partialAfter > m_maxFrame) {
        // Refuse before storing: an endless line must not grow memory past the limit.
        m_overflowAfterDrain = true;
        if (newline >= 0) {
            m_lineEnd = m_buffer.size() + newline + 1;
            m_buffer.append(chunk.left(newline + 1));
        } else {
            m_buffer.truncate(std::max(m_lineEnd, m_start));
        }
        return;
    }
    if (newline >= 0)
        m_lineEnd = m_buffer.size() + newline + 1;
    m_buffer.append(chunk);
}

std::optional<QByteArray> FrameReader::next() {
    while (!m_overflowed) {
        const qsizetype newline = m_buffer.indexOf('\n', std::max(m_start, m_scanned));
        if (newline < 0) {
            m_scanned = m_buffer.size();
            if (m_overflowAfterDrain) {
                m_overflowed = true;
                m_buffer = QByteArray();
                m_start = m_scanned = m_lineEnd = 0;
            }
            return std::nullopt;
        }
        qsizetype length = newline - m_start;
        if (length > m_maxFrame) {
            m_overflowed = true;
            m_buffer = QByteArray();
            m_start = m_scanned = m_lineEnd = 0;
            return std::nullopt;
        }
        if (length > 0 && m_buffer.at(m_start + length - 1) == '\r')
            --length;
        QByteArray frame;
        if (m_start == 0 && newline + 1 == m_buffer.size()) {
            // The buffer holds this frame alone, as it does for a large answer: it becomes the
            // frame, without a copy.
            frame = std::exchange(m_buffer, QByteArray());
            frame.truncate(length);
            if (frame.capacity() - length < Padding)
                frame.reserve(length + Padding);
        } else {
            frame.reserve(length + Padding);
            frame.append(m_buffer.constData() + m_start, length);
        }
        m_start = newline + 1;
        m_scanned = m_start;
        if (m_start >= m_buffer.size()) {
            m_buffer.clear();
            m_start = m_scanned = m_lineEnd = 0;
        } else if (m_start > CompactThreshold && m_start > m_buffer.size() / 2) {
            m_buffer.remove(0, m_start);
            m_scanned -= m_start;
            m_lineEnd = std::max<qsizetype>(0, m_lineEnd - m_start);
            m_start = 0;
        }
        if (!frame.isEmpty())
            return frame;
    }
    return std::nullopt;
}

QByteArrayView FrameReader::partial() const {
    qsizetype start = m_start;
    while (start < m_buffer.size() && m_buffer.at(start) == '\n')
        ++start;
    return QByteArrayView(m_buffer).sliced(start);
}

qsizetype FrameReader::buffered() const {
    return m_buffer.size() - m_start;
}

} // namespace ciap
