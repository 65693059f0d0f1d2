// Answers decoded while they arrive: whatever the batches, the result must be the one reading
// the whole frame gives, rows in order, and a broken frame must be refused in the same words.
#include "AnswerDecoder.h"
#include "JsonRpc.h"
#include "PackedPacket.h"
#include "PacketCodec.h"
#include "PacketWriter.h"

#include <QTest>

using namespace ciap;

namespace {

const QList<FieldDef> Fields{{QStringLiteral("CODE"), FieldType::String, 10},
                             {QStringLiteral("VALUE"), FieldType::Float, 0},
                             {QStringLiteral("DAY"), FieldType::DateTime, 0}};

// An answer as the server streams it: the start, the pieces of rows and the rest.
QByteArray streamedAnswer(int rows, qsizetype batchBytes) {
    QByteArray frame = encodeResultStart(5);
    PacketWriter w(Fields);
    if (batchBytes > 0)
        w.spillEvery(batchBytes, [&](QByteArrayView piece) { frame.append(piece); });
    for (int i = 0; i < rows; ++i) {
        w.beginRow();
        w.text(QStringLiteral("A%1").arg(i, 5, 10, QLatin1Char('0')));
        i % 7 ? w.number(i * 0.25) : w.null();
        w.date(QDate(2024, 1, 1).addDays(i % 400));
        w.endRow();
    }
    return frame.append(w.finish()).append('}');
}

AnswerDecoder::Decoded decodeArriving(const QByteArray& frame, qsizetype chunk) {
    AnswerDecoder decoder;
    for (qsizetype at = chunk; chunk > 0 && at < frame.size(); at += chunk)
        decoder.arrived(QByteArrayView(frame).first(at));
    decoder.complete(frame);
    std::optional<AnswerDecoder::Decoded> decoded;
    (void)QTest::qWaitFor(
        [&] {
            decoded = decoder.take();
            return decoded.has_value();
        },
        20000);
    return decoded.value_or(AnswerDecoder::Decoded{{}, QStringLiteral("no answer")});
}

DataPacket packetOf(const AnswerDecoder::Decoded& decoded) {
    if (decoded.reply.packet.metaType() != QMetaType::fromType<PackedPacket>())
        return {};
    return static_cast<const PackedPacket*>(decoded.reply.packet.constData())->toDataPacket();
}

} // namespace

class TestAnswerDecoder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameAsWhole_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<qsizetype>("chunk"); // 0: nothing seen before the frame is whole
        QTest::addColumn<bool>("valid");
        const QByteArray batched = streamedAnswer(12000, 16 * 1024);
        QTest::newRow("small, no batches") << streamedAnswer(20, 0) << qsizetype(0) << true;
        QTest::newRow("large, no batches") << streamedAnswer(12000, 0) << qsizetype(7000) << true;
        QTest::newRow("batches, arriving in chunks") << batched << qsizetype(5000) << true;
        QTest::newRow("batches, seen only whole") << batched << qsizetype(0) << true;
        QByteArray wrongCell = batched;
        wrongCell.replace("\"A06000\"", "6000");
        QTest::newRow("a number where a text goes, mid-batch")
            << wrongCell << qsizetype(5000) << true;
        QByteArray unclosed = batched;
        unclosed.replace("\"A06000\"", "\"A06000");
        QTest::newRow("a string left open, mid-batch") << unclosed << qsizetype(5000) << false;
        QByteArray tailBroken = batched;
        tailBroken.insert(tailBroken.size() - 3, ',');
        QTest::newRow("a comma before the rows close") << tailBroken << qsizetype(5000) << false;
        QByteArray tabInHead = batched;
        tabInHead.replace("\"id\":5", "\"id\":\t5");
        QTest::newRow("a tab before the rows") << tabInHead << qsizetype(5000) << true;
        QByteArray extraRows = batched;
        extraRows.replace("\"result\":{", "\"result\":{\"rows\":[],");
        QTest::newRow("the rows twice") << extraRows << qsizetype(5000) << true;
    }
    void sameAsWhole() {
        QFETCH(QByteArray, frame);
        QFETCH(qsizetype, chunk);
        QFETCH(bool, valid);
        const AnswerDecoder::Decoded whole = AnswerDecoder::decode(frame);
        const AnswerDecoder::Decoded arriving = decodeArriving(frame, chunk);
        QCOMPARE(arriving.invalid, whole.invalid);
        QCOMPARE(arriving.invalid.isEmpty(), valid);
        QCOMPARE(arriving.reply.packetError, whole.reply.packetError);
        QCOMPARE(arriving.reply.id, whole.reply.id);
        const DataPacket packet = packetOf(arriving);
        QCOMPARE(packet.fields, packetOf(whole).fields);
        QCOMPARE(packet.rows, packetOf(whole).rows);
        if (valid && whole.reply.packetError.isEmpty()) {
            QVERIFY(!packet.rows.isEmpty());
            QCOMPARE(packet.rows.first().at(0).toString(), QStringLiteral("A00000"));
        }
    }

    // A frame decoded on a worker still arrives after the decoder was reset for the next call:
    // it must not come back as the answer to that one.
    void resetDropsTheFrameUnderWay() {
        AnswerDecoder decoder;
        decoder.complete(streamedAnswer(12000, 0));
        QVERIFY(decoder.busy());
        decoder.reset();
        const QByteArray small = streamedAnswer(3, 0);
        decoder.complete(small);
        const std::optional<AnswerDecoder::Decoded> decoded = decoder.take();
        QVERIFY(decoded.has_value());
        QCOMPARE(packetOf(*decoded).rows.size(), 3);
        QTest::qWait(200);
        QVERIFY(!decoder.take().has_value());
    }
};

QTEST_MAIN(TestAnswerDecoder)
#include "tst_answerdecoder.moc"
