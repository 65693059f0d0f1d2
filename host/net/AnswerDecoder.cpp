#include "AnswerDecoder.h"

#include "PackedPacket.h"
#include "PacketCodec.h"

#include <QtConcurrent/QtConcurrentRun>

namespace {

// One batch of rows, decoded; empty when it was not rows of those fields.
std::optional<std::vector<PackedRow>> decodeBatch(const QByteArray& rows,
                                                  const QList<ciap::FieldDef>& fields) {
    try {
        PackedPacketBuilder packets;
        ciap::decodePacketRows(rows, fields, packets);
        QVariant packet = packets.take();
        return std::move(static_cast<PackedPacket*>(packet.data())->rows);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

const PackedPacket* packedIn(const ciap::RpcReply& reply) {
    if (reply.packet.metaType() != QMetaType::fromType<PackedPacket>())
        return nullptr;
    return static_cast<const PackedPacket*>(reply.packet.constData());
}

} // namespace

struct AnswerDecoder::Batch {
    QFutureWatcher<std::optional<std::vector<PackedRow>>> watcher;
};

AnswerDecoder::AnswerDecoder(QObject* parent)
    : QObject(parent) {
    connect(&m_whole, &QFutureWatcherBase::finished, this, &AnswerDecoder::progressed);
}

AnswerDecoder::~AnswerDecoder() = default;

AnswerDecoder::Decoded AnswerDecoder::decode(const QByteArray& frame) {
    Decoded decoded;
    try {
        PackedPacketBuilder packets;
        decoded.reply = ciap::parseReplyPacket(frame, packets);
    } catch (const std::exception& e) {
        decoded.invalid = QString::fromUtf8(e.what());
    }
    return decoded;
}

void AnswerDecoder::reset() {
    if (m_state == State::Whole || m_state == State::Assembling)
        m_whole.setFuture(QFuture<Decoded>()); // its worker finishes into the void
    m_pending.clear();
    m_batches.clear();
    m_headRead = false;
    m_fields.reset();
    m_frame.clear();
    m_ready.reset();
    m_state = State::Idle;
}

void AnswerDecoder::arrived(QByteArrayView partial) {
    if (m_state != State::Idle && m_state != State::Receiving)
        return;
    m_state = State::Receiving;
    const QList<QByteArray> batches = m_batches.take(partial);
    if (m_batches.started() && !m_headRead)
        readHead();
    if (!m_fields)
        return;
    for (const QByteArray& rows : batches) {
        auto batch = std::make_unique<Batch>();
        connect(&batch->watcher, &QFutureWatcherBase::finished, this, &AnswerDecoder::progressed);
        batch->watcher.setFuture(QtConcurrent::run(decodeBatch, rows, *m_fields));
        m_pending.push_back(std::move(batch));
    }
}

// The reply's start with its rows closed: the packet's fields, for the batches. Small: read here.
void AnswerDecoder::readHead() {
    m_headRead = true;
    const Decoded head = decode(m_batches.head());
    if (const PackedPacket* packet = packedIn(head.reply);
        packet && head.reply.packetRowsOffset == m_batches.rowsOffset())
        m_fields = packet->fields;
}

void AnswerDecoder::complete(QByteArray frame) {
    if (!m_fields || m_pending.empty()) {
        if (frame.size() < BackgroundBytes) {
            m_ready = decode(frame);
            m_state = State::Ready;
            return;
        }
        startWhole(std::move(frame));
        return;
    }
    QByteArray headAndTail = m_batches.headAndTail(frame);
    if (headAndTail.isEmpty()) {
        startWhole(std::move(frame));
        return;
    }
    m_frame = std::move(frame);
    m_state = State::Assembling;
    m_whole.setFuture(QtConcurrent::run(&AnswerDecoder::decode, std::move(headAndTail)));
}

void AnswerDecoder::startWhole(QByteArray frame) {
    m_pending.clear();
    m_state = State::Whole;
    m_whole.setFuture(QtConcurrent::run(&AnswerDecoder::decode, std::move(frame)));
}

std::optional<AnswerDecoder::Decoded> AnswerDecoder::take() {
    advance();
    if (m_state != State::Ready)
        return std::nullopt;
    std::optional<Decoded> ready = std::move(m_ready);
    reset();
    return ready;
}

void AnswerDecoder::advance() {
    if (m_state == State::Whole && m_whole.future().isFinished()) {
        // Moved out whole: the packed rows must not stay shared with the worker's copy.
        m_ready = m_whole.future().takeResult();
        m_state = State::Ready;
        return;
    }
    if (m_state != State::Assembling || !m_whole.future().isFinished())
        return;
    for (const auto& batch : m_pending) {
        if (!batch->watcher.future().isFinished())
            return;
    }
    if (std::optional<Decoded> assembled = assemble()) {
        m_ready = std::move(assembled);
        m_state = State::Ready;
    } else {
        startWhole(std::exchange(m_frame, QByteArray()));
    }
}

// The batches' rows, then the tail's, as one packet: when every part read well and the head
// and tail make the same packet the batches were read for. Otherwise nothing, and the frame
// is read whole (which also names what is wrong with it).
std::optional<AnswerDecoder::Decoded> AnswerDecoder::assemble() {
    Decoded headAndTail = m_whole.future().takeResult();
    const PackedPacket* tail = packedIn(headAndTail.reply);
    if (!headAndTail.invalid.isEmpty() || !tail ||
        headAndTail.reply.packetRowsOffset != m_batches.rowsOffset() || tail->fields != *m_fields)
        return std::nullopt;
    std::vector<std::vector<PackedRow>> parts;
    std::size_t count = tail->rows.size();
    for (const auto& batch : m_pending) {
        std::optional<std::vector<PackedRow>> rows = batch->watcher.future().takeResult();
        if (!rows)
            return std::nullopt;
        count += rows->size();
        parts.push_back(std::move(*rows));
    }
    PackedPacket packet{*m_fields, {}};
    packet.rows.reserve(count);
    for (std::vector<PackedRow>& part : parts)
        std::move(part.begin(), part.end(), std::back_inserter(packet.rows));
    const std::vector<PackedRow>& last = tail->rows;
    packet.rows.insert(packet.rows.end(), last.begin(), last.end());
    headAndTail.reply.packet = QVariant::fromValue(std::move(packet));
    return headAndTail;
}
