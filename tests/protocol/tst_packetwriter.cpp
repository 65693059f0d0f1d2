#include "PacketCodec.h"
#include "PacketWriter.h"

#include <QTest>

using namespace ciap;

// The server writes packets as text by hand; the client's decoder must read back every value.
class TestPacketWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringLiteral("Torno CNC");
        QTest::newRow("quotes and backslash") << QStringLiteral("O'Brien \"x\" \\ /");
        QTest::newRow("control characters") << QStringLiteral("a\nb\rc\td\u0001e\u001f");
        QTest::newRow("accents and emoji") << QStringLiteral("Máquina ÇÃÉ 漢字 😀");
        QTest::newRow("empty") << QString();
        QTest::newRow("sql") << QStringLiteral("'; DROP TABLE EMPRESA; --");
    }
    void roundTrip() {
        QFETCH(QString, text);
        const QList<FieldDef> fields{{QStringLiteral("A"), FieldType::String, 50},
                                     {QStringLiteral("B"), FieldType::String, 50},
                                     {QStringLiteral("V"), FieldType::Float, 0},
                                     {QStringLiteral("D"), FieldType::DateTime, 0}};
        PacketWriter w(fields);
        const QByteArray utf8 = text.toUtf8();
        w.beginRow();
        w.text(text);
        w.textUtf8(utf8.constData(), utf8.size());
        w.number(0.1 + 0.2);
        w.date(QDate(2024, 2, 29));
        w.endRow();
        w.beginRow();
        w.null();
        w.textUtf8("", 0);
        w.number(-1234.567);
        w.date(QDate());
        w.endRow();
        const QByteArray json = w.finish();
        QVERIFY(!json.contains('\n'));
        const DataPacket p = decodePacket(json);
        QCOMPARE(p.fields, fields);
        QCOMPARE(p.rows.size(), 2);
        QCOMPARE(p.rows[0][0].toString(), text);
        QCOMPARE(p.rows[0][1].toString(), text);
        QCOMPARE(p.rows[0][2].toDouble(), 0.1 + 0.2);
        QCOMPARE(p.rows[0][3].toDate(), QDate(2024, 2, 29));
        QVERIFY(p.rows[1][0].isNull());
        QCOMPARE(p.rows[1][2].toDouble(), -1234.567);
        QVERIFY(p.rows[1][3].isNull());
    }

    void emptyPacketKeepsItsFields() {
        const QList<FieldDef> fields{{QStringLiteral("Retorno"), FieldType::String, 20}};
        const DataPacket p = decodePacket(PacketWriter::emptyPacket(fields));
        QCOMPARE(p.fields, fields);
        QVERIFY(p.rows.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPacketWriter)
#include "tst_packetwriter.moc"
