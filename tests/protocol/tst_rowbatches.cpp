// Where an answer still arriving may be split into batches of rows: only at the tabs the
// server puts before a batch, only when the text around them is shaped as expected, and head
// and tail must be the very frame the batches were cut from.
#include "JsonRpc.h"
#include "PacketCodec.h"
#include "RowBatches.h"

#include <QTest>

using namespace ciap;

namespace {

const QByteArray Head =
    R"({"jsonrpc":"2.0","id":4,"result":{"fields":[{"name":"A","type":"float"}],"rows":[)";
const QByteArray Frame = Head + "\t[1],[2],\t[3],\t[4],[5]]}}";

QList<double> rowsOf(const QByteArray& rows) {
    DataPacketBuilder builder;
    decodePacketRows(rows, {{QStringLiteral("A"), FieldType::Float, 0}}, builder);
    QList<double> values;
    for (const QVariantList& row : builder.takePacket().rows)
        values << row.at(0).toDouble();
    return values;
}

} // namespace

class TestRowBatches final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Any chunking gives the same batches; with head and tail they are every row, in order.
    void batchesInAnyChunking() {
        for (qsizetype chunk = 1; chunk <= Frame.size(); ++chunk) {
            RowBatches batches;
            QList<QByteArray> taken;
            for (qsizetype at = chunk; at < Frame.size(); at += chunk)
                taken += batches.take(QByteArrayView(Frame).first(at));
            taken += batches.take(Frame);
            QVERIFY(batches.started());
            QCOMPARE(batches.rowsOffset(), Head.size() - 1);
            QCOMPARE(taken.size(), 2);
            QCOMPARE(rowsOf(taken.at(0)), (QList<double>{1, 2}));
            QCOMPARE(rowsOf(taken.at(1)), (QList<double>{3}));
            QCOMPARE(batches.head(), Head + "\t]}}");
            QCOMPARE(batches.headAndTail(Frame), Head + "\t[4],[5]]}}");
        }
    }

    // Text shaped otherwise is never split: the frame is read whole.
    void otherShapesAreReadWhole_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("whole"); // what headAndTail is given at the end
        QTest::newRow("no tab") << Head + "[1]]}}" << QByteArray();
        QTest::newRow("first tab not after [")
            << QByteArray("{\"id\":\t4,\"result\":{\"rows\":[\t[1],\t[2]]}}") << QByteArray();
        QTest::newRow("a tab without a comma before it") << Head + "\t[1]\t,[2]]}}" << QByteArray();
        QTest::newRow("a tab before the rows close") << Head + "\t[1],\t]}}" << QByteArray();
        QTest::newRow("another frame at the end")
            << Frame << QByteArray(Frame).replace("\"id\":4", "\"id\":5");
        QTest::newRow("a shorter frame at the end") << Frame << Head + "\t[1]]}}";
    }
    void otherShapesAreReadWhole() {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, whole);
        RowBatches batches;
        batches.take(frame);
        QVERIFY(batches.headAndTail(whole.isEmpty() ? frame : whole).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRowBatches)
#include "tst_rowbatches.moc"
