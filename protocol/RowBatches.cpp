#include "RowBatches.h"

#include "FrameReader.h"

#include <cstring>

namespace ciap {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The last byte before end that is not white space; -1 when there is none.
qsizetype lastSignificant(QByteArrayView text, qsizetype end) {
    while (end > 0 && isBlank(text[end - 1]))
        --end;
    return end - 1;
}

QByteArray padded(qsizetype size) {
    QByteArray text;
    text.reserve(size + FrameReader::Padding);
    return text;
}

} // namespace

QList<QByteArray> RowBatches::take(QByteArrayView received) {
    QList<QByteArray> batches;
    while (!m_broken && m_scanned < received.size()) {
        const void* found = std::memchr(received.data() + m_scanned, '\t',
                                        std::size_t(received.size() - m_scanned));
        if (!found) {
            m_scanned = received.size();
            break;
        }
        const qsizetype tab = static_cast<const char*>(found) - received.data();
        m_scanned = tab + 1;
        if (m_headEnd < 0) {
            m_rowsOpen = lastSignificant(received, tab);
            m_broken = m_rowsOpen < 0 || received[m_rowsOpen] != '[';
            m_headEnd = m_lastTab = tab + 1;
            m_head = received.first(m_headEnd).toByteArray();
            continue;
        }
        // A batch: rows, then the comma before this tab.
        const qsizetype comma = lastSignificant(received, tab);
        if (comma < m_lastTab || received[comma] != ',') {
            m_broken = true;
            break;
        }
        QByteArray batch = padded(comma - m_lastTab + 2);
        batch.append('[').append(received.sliced(m_lastTab, comma - m_lastTab)).append(']');
        batches.append(std::move(batch));
        m_lastTab = tab + 1;
    }
    return batches;
}

QByteArray RowBatches::head() const {
    QByteArray text = padded(m_headEnd + 3);
    text.append(m_head).append("]}}");
    return text;
}

QByteArray RowBatches::headAndTail(QByteArrayView frame) const {
    // The frame as a whole must be the one the batches were cut from.
    if (m_broken || m_headEnd < 0 || m_lastTab > frame.size() || !frame.startsWith(m_head))
        return {};
    // The tail must start with a row: a tab before "]" would hide a comma that ends the rows.
    qsizetype first = m_lastTab;
    while (first < frame.size() && isBlank(frame[first]))
        ++first;
    if (m_lastTab > m_headEnd && (first >= frame.size() || frame[first] != '['))
        return {};
    QByteArray text = padded(m_headEnd + frame.size() - m_lastTab);
    text.append(frame.first(m_headEnd)).append(frame.sliced(m_lastTab));
    return text;
}

} // namespace ciap
