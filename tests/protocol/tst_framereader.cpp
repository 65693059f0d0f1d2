#include "FrameReader.h"

#include <QTest>

using namespace ciap;

namespace {

QByteArrayList drain(FrameReader& reader) {
    QByteArrayList frames;
    while (const std::optional<QByteArray> frame = reader.next())
        frames.append(*frame);
    return frames;
}

QByteArrayList readInChunks(const QByteArray& stream, qsizetype chunkSize, qsizetype maxFrame) {
    FrameReader reader(maxFrame);
    QByteArrayList frames;
    for (qsizetype i = 0; i < stream.size(); i += chunkSize) {
        reader.append(stream.mid(i, chunkSize));
        for (const QByteArray& frame : drain(reader)) {
            // Room behind every frame for the JSON reader, which reads past the end.
            if (frame.capacity() - frame.size() < FrameReader::Padding)
                return {"(no padding)"};
            frames += frame;
        }
    }
    return frames;
}

} // namespace

class TestFrameReader final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anyChunking_data();
    void anyChunking();
    void manyFramesKeepOrder();
    void partialFrameWaits();
    void overflow_data();
    void overflow();
};

void TestFrameReader::anyChunking_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArrayList>("frames");
    const QByteArrayList three{R"({"id":1})", R"({"id":2,"result":"ção"})", "x"};
    const QByteArray joined = three.join('\n') + '\n';
    for (int chunk : {1, 2, 3, 5, 7, 1000}) {
        QTest::addRow("three frames, chunks of %d", chunk) << joined << three;
        QTest::addRow("CRLF and blank lines, chunks of %d", chunk)
            << QByteArray("\n\r\n{\"a\":1}\r\n\n{\"b\":2}\n")
            << QByteArrayList{"{\"a\":1}", "{\"b\":2}"};
        QTest::addRow("unterminated tail, chunks of %d", chunk)
            << QByteArray("one\ntwo") << QByteArrayList{"one"};
    }
}

void TestFrameReader::anyChunking() {
    QFETCH(QByteArray, stream);
    QFETCH(QByteArrayList, frames);
    for (qsizetype chunk = 1; chunk <= stream.size() + 1; ++chunk)
        QCOMPARE(readInChunks(stream, chunk, FrameReader::DefaultMaxFrame), frames);
}

void TestFrameReader::manyFramesKeepOrder() {
    QByteArray stream;
    QByteArrayList expected;
    for (int i = 0; i < 20000; ++i) {
        expected.append(QByteArray::number(i) + QByteArray(i % 50, 'x'));
        stream += expected.last() + '\n';
    }
    QCOMPARE(readInChunks(stream, 4093, 1024), expected);
    QCOMPARE(readInChunks(stream, stream.size(), 1024), expected);
}

void TestFrameReader::partialFrameWaits() {
    FrameReader reader;
    reader.append("\n\n{\"id\":");
    QVERIFY(!reader.next());
    QCOMPARE(reader.partial(), "{\"id\":"); // what a reader may start on meanwhile
    reader.append("1}\n{\"id\"");
    QCOMPARE(reader.next(), std::optional<QByteArray>("{\"id\":1}"));
    QVERIFY(!reader.next());
    QCOMPARE(reader.buffered(), 5);
    QCOMPARE(reader.partial(), "{\"id\"");
    reader.append(":2}\n");
    QCOMPARE(reader.next(), std::optional<QByteArray>("{\"id\":2}"));
    QCOMPARE(reader.buffered(), 0);
    QVERIFY(!reader.overflowed());
}

void TestFrameReader::overflow_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<qsizetype>("chunk");
    QTest::addColumn<int>("framesBefore"); // frames delivered before the overflow
    QTest::addColumn<bool>("overflows");
    const QByteArray limit(16, 'a');
    for (int chunk : {1, 4, 100}) {
        QTest::addRow("exactly the limit, chunks of %d", chunk) << limit + '\n'
                                                                << qsizetype(chunk) << 1 << false;
        QTest::addRow("one over, terminated, chunks of %d", chunk) << "ok\n" + limit + "b\nlater\n"
                                                                   << qsizetype(chunk) << 1 << true;
        QTest::addRow("endless line, chunks of %d", chunk)
            << "ok\n" + QByteArray(1000, 'z') << qsizetype(chunk) << 1 << true;
    }
}

void TestFrameReader::overflow() {
    QFETCH(QByteArray, stream);
    QFETCH(qsizetype, chunk);
    QFETCH(int, framesBefore);
    QFETCH(bool, overflows);
    FrameReader reader(16);
    int frames = 0;
    for (qsizetype i = 0; i < stream.size(); i += chunk) {
        reader.append(stream.mid(i, chunk));
        frames += int(drain(reader).size());
        // Memory stays bounded by the limit whatever the peer sends.
        QVERIFY(reader.buffered() <= 16 + chunk);
    }
    QCOMPARE(frames, framesBefore);
    QCOMPARE(reader.overflowed(), overflows);
    if (overflows) {
        // Once overflowed the stream is out of step: nothing more is delivered.
        reader.append("{\"id\":9}\n");
        QVERIFY(!reader.next());
        QVERIFY(reader.overflowed());
        QCOMPARE(reader.buffered(), 0);
    }
}

QTEST_APPLESS_MAIN(TestFrameReader)
#include "tst_framereader.moc"
