#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace ciap {

// Finds, in an answer still arriving, the batches of packet rows its server marked
// (PacketWriter::spillEvery: a tab before each batch's first row), so that each batch can be
// decoded as soon as it is complete while the server is still reading the next. It only
// says what to decode; the caller decodes, and at the end puts the rows together in order. Any
// frame that is not shaped as expected is simply read whole: the batches are a shortcut, never
// a second meaning.
//
// The frame is head, batches, tail: the head ends with the "[" that opens the packet's rows
// (and the first tab); each batch is rows followed by a comma (and the next tab); the tail holds
// the last rows and the rest of the frame. Head and tail together are the same answer with
// only the tail's rows: reading them (and checking that the rows open where the head ends)
// checks the frame's every byte outside the batches, each batch being checked as it is read.
class RowBatches final {
public:
    // Looks at the frame received so far (it only grows, from the same start) and gives the
    // batches completed since the last call, each as a JSON array of rows.
    QList<QByteArray> take(QByteArrayView received);
    bool started() const { return m_headEnd >= 0; }
    // A frame whose head closed with "]}}", to read the head from once started(): the reply's
    // id and the packet's fields (its rows must open at rowsOffset()).
    QByteArray head() const;
    qsizetype rowsOffset() const { return m_rowsOpen; }
    // The frame without its batches, once it is whole; empty when its batches went wrong (the
    // frame must then be read whole).
    QByteArray headAndTail(QByteArrayView frame) const;
    void clear() { *this = RowBatches(); }

private:
    QByteArray m_head; // the frame up to the first batch, as it was received
    qsizetype m_scanned = 0;
    qsizetype m_headEnd = -1;  // just after the first tab
    qsizetype m_rowsOpen = -1; // the "[" before it
    qsizetype m_lastTab = -1;
    bool m_broken = false;
};

} // namespace ciap
