// The frame reader under any chunking: frames come out exactly as a plain split would give
// them, never hold a line break, never exceed the limit, and memory stays bounded.
#include "FrameReader.h"

#include <QByteArrayList>
#include <cstdint>
#include <cstdlib>

using namespace ciap;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const qsizetype limit = 1 + data[0] % 64;
    const qsizetype chunk = 1 + data[1] % 32;
    const QByteArray stream(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));

    FrameReader reader(limit);
    QByteArrayList frames;
    for (qsizetype i = 0; i < stream.size(); i += chunk) {
        reader.append(stream.mid(i, chunk));
        while (const std::optional<QByteArray> frame = reader.next()) {
            if (frame->contains('\n') || frame->size() > limit || frame->isEmpty())
                std::abort();
            frames.append(*frame);
        }
        if (reader.buffered() > limit + chunk)
            std::abort();
    }

    // What a plain split gives, up to the first line over the limit.
    QByteArrayList expected;
    bool overflow = false;
    const QByteArrayList lines = stream.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.size() > limit) {
            overflow = true;
            break;
        }
        if (i == lines.size() - 1)
            break; // no line break after it: not a frame yet
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            expected.append(line);
    }
    if (overflow != reader.overflowed() || frames != expected)
        std::abort();
    return 0;
}
