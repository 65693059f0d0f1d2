#pragma once

#include "DataPacket.h"
#include "JsonRpc.h"
#include "PackedRow.h"
#include "RowBatches.h"

#include <QByteArray>
#include <QFutureWatcher>
#include <QObject>
#include <memory>
#include <optional>
#include <vector>

// Decodes the frames a connection receives, one at a time, keeping the user-interface thread
// free: a small frame is read at once; a large one on a worker thread; and when its server
// marks batches of packet rows (RowBatches), each batch is read on a worker as soon as it has
// arrived, while the server is still reading the next, so that a packet of 100,000 rows is
// ready almost as soon as its last byte is in. Packets come out packed (PackedPacket).
class AnswerDecoder final : public QObject {
    Q_OBJECT
public:
    // From this size on a frame is decoded on a worker thread (about a millisecond of work):
    // below it the hand-over costs more than it saves.
    static constexpr qsizetype BackgroundBytes = 256 * 1024;

    struct Decoded {
        ciap::RpcReply reply;
        QString invalid; // the frame is no answer at all: why
    };

    explicit AnswerDecoder(QObject* parent = nullptr);
    ~AnswerDecoder() override;

    // More of the frame in progress has arrived (the whole of it so far).
    void arrived(QByteArrayView partial);
    // The frame is whole. False while it is still being decoded: progressed() follows.
    void complete(QByteArray frame);
    bool busy() const { return m_state == State::Whole || m_state == State::Assembling; }
    // The decoded frame once it is ready; the decoder is then idle again.
    std::optional<Decoded> take();
    void reset(); // drops whatever is under way (its workers finish into the void)

    static Decoded decode(const QByteArray& frame);

Q_SIGNALS:
    void progressed(); // work on a worker finished: take() may have the answer now

private:
    enum class State { Idle, Receiving, Whole, Assembling, Ready };
    struct Batch;

    void startWhole(QByteArray frame);
    void readHead();
    void advance();
    std::optional<Decoded> assemble();

    State m_state = State::Idle;
    ciap::RowBatches m_batches;
    bool m_headRead = false;
    std::optional<QList<ciap::FieldDef>> m_fields; // the batches' fields, from the head
    std::vector<std::unique_ptr<Batch>> m_pending;
    QFutureWatcher<Decoded> m_whole; // the whole frame, or head and tail
    QByteArray m_frame;              // kept while assembling, to be read whole if need be
    std::optional<Decoded> m_ready;
};
