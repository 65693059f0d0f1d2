// Frames from the network: a request or an answer either parses or fails with the error the
// peer is told; what parses can be written again and reads back the same. An answer the host
// reads batch by batch while it arrives is accepted only as it is read whole, with its rows.
#include "JsonRpc.h"
#include "PacketCodec.h"
#include "RowBatches.h"

#include <cstdint>
#include <cstdlib>

using namespace ciap;

namespace {

void checkRequest(const QByteArray& frame) {
    RpcRequest request;
    try {
        request = parseRequest(frame);
    } catch (const RpcFailure& failure) {
        if (failure.message().isEmpty())
            std::abort();
        // The error answer must itself be a valid frame.
        const RpcReply reply =
            parseReply(encodeError(failure.id(), failure.code(), failure.message()));
        if (!reply.isError || reply.errorCode != failure.code())
            std::abort();
        return;
    }
    const QByteArray again = encodeRequest(request);
    if (again.count('\n') != 1)
        std::abort();
    const RpcRequest back = parseRequest(again);
    if (back.method != request.method || back.params != request.params || back.id != request.id ||
        back.token != request.token)
        std::abort();
}

// The rows of the batches and of head and tail, when every part reads as the host requires;
// then the whole frame must read to the same packet.
void checkBatches(const QByteArray& frame, const RpcReply* whole) {
    RowBatches batches;
    QList<QByteArray> parts = batches.take(QByteArrayView(frame).first(frame.size() / 2));
    parts += batches.take(frame);
    if (!batches.started())
        return;
    DataPacketBuilder builder;
    QList<FieldDef> fields;
    try {
        const RpcReply head = parseReplyPacket(batches.head(), builder);
        if (!head.packet.isValid() || head.packetRowsOffset != batches.rowsOffset())
            return;
        fields = head.packet.value<DataPacket>().fields;
        QList<QList<QVariant>> rows;
        for (const QByteArray& part : parts) {
            decodePacketRows(part, fields, builder);
            rows += builder.takePacket().rows;
        }
        const QByteArray rest = batches.headAndTail(frame);
        if (rest.isEmpty())
            return;
        const RpcReply tail = parseReplyPacket(rest, builder);
        if (!tail.packet.isValid() || tail.packetRowsOffset != batches.rowsOffset())
            return;
        const DataPacket last = tail.packet.value<DataPacket>();
        if (last.fields != fields)
            return;
        rows += last.rows;
        if (!whole || !whole->packet.isValid())
            std::abort();
        const DataPacket all = whole->packet.value<DataPacket>();
        if (all.fields != fields || all.rows != rows)
            std::abort();
    } catch (const ProtocolError&) {
    }
}

void checkReply(const QByteArray& frame) {
    RpcReply full;
    bool fullOk = true;
    try {
        full = parseReply(frame);
    } catch (const ProtocolError&) {
        fullOk = false;
    }
    // The host's reader: a packet result straight into a sink, in the same pass.
    DataPacketBuilder packets;
    RpcReply raw;
    try {
        raw = parseReplyPacket(frame, packets);
    } catch (const ProtocolError&) {
        checkBatches(frame, nullptr);
        return;
    }
    checkBatches(frame, &raw);
    // A packet it read is one the full reader reads the same (Qt's reader is laxer, never
    // stricter; its refusal would throw out of here, a finding too).
    if (fullOk && raw.packet.isValid()) {
        const DataPacket mine = raw.packet.value<DataPacket>();
        const DataPacket theirs = packetFromJson(full.result);
        if (mine.fields != theirs.fields || mine.rows != theirs.rows)
            std::abort();
    }
    if (fullOk && (full.isError != raw.isError || full.errorCode != raw.errorCode))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray frame(reinterpret_cast<const char*>(data), qsizetype(size));
    checkRequest(frame);
    checkReply(frame);
    return 0;
}
