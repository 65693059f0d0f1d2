#include "HostErrors.h"
#include "PacketCodec.h"
#include "TClientDataSet.h"

#include <QTest>
#include <functional>
#include <malloc.h>

using ciap::ChangeStatus;
using ciap::FieldType;

namespace {

ciap::DataPacket packet() {
    ciap::DataPacket p;
    p.fields = {{"KEY", FieldType::String, 4},
                {"AMOUNT", FieldType::Float, 0},
                {"DAY", FieldType::DateTime, 0}};
    p.rows = {
        {"K1", 10.0, QDate(2024, 1, 1)}, {"K2", 20.0, QDate(2024, 2, 1)}, {"K3", 30.0, QVariant()}};
    return p;
}

void setAmount(TClientDataSet& ds, double amount) {
    ds.Edit();
    ds.FieldByName("AMOUNT")->SetValue(amount);
    ds.Post();
}

void insertRow(TClientDataSet& ds, const char* key) {
    ds.Append();
    ds.FieldByName("KEY")->SetValue(QString::fromLatin1(key));
    ds.Post();
}

using Script = std::function<void(TClientDataSet&)>;

} // namespace

Q_DECLARE_METATYPE(Script)

class TestChangeLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void changeCount_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<bool>("logChanges");
        QTest::addColumn<int>("count");
        QTest::newRow("nothing") << Script([](TClientDataSet&) {}) << true << 0;
        QTest::newRow("edit") << Script([](TClientDataSet& ds) { setAmount(ds, 11); }) << true << 1;
        QTest::newRow("edit twice") << Script([](TClientDataSet& ds) {
            setAmount(ds, 11);
            setAmount(ds, 12);
        }) << true << 1;
        QTest::newRow("post unchanged") << Script([](TClientDataSet& ds) {
            ds.Edit();
            ds.FieldByName("AMOUNT")->SetValue(10.0); // same value
            ds.Post();
        }) << true << 0;
        QTest::newRow("insert") << Script([](TClientDataSet& ds) { insertRow(ds, "N"); }) << true
                                << 1;
        QTest::newRow("insert then modify") << Script([](TClientDataSet& ds) {
            insertRow(ds, "N");
            setAmount(ds, 5);
        }) << true << 1;
        QTest::newRow("insert then delete") << Script([](TClientDataSet& ds) {
            insertRow(ds, "N");
            ds.Delete();
        }) << true << 0;
        QTest::newRow("delete") << Script([](TClientDataSet& ds) { ds.Delete(); }) << true << 1;
        QTest::newRow("modify then delete") << Script([](TClientDataSet& ds) {
            setAmount(ds, 11);
            ds.Delete();
        }) << true << 1;
        QTest::newRow("three rows") << Script([](TClientDataSet& ds) {
            setAmount(ds, 11);
            ds.Next();
            ds.Delete();
            insertRow(ds, "N");
        }) << true << 3;
        QTest::newRow("not logged") << Script([](TClientDataSet& ds) {
            setAmount(ds, 11);
            ds.Delete();
            insertRow(ds, "N");
        }) << false << 0;
        QTest::newRow("cancelled edit") << Script([](TClientDataSet& ds) {
            ds.Edit();
            ds.FieldByName("AMOUNT")->SetValue(1.0);
            ds.Cancel();
        }) << true << 0;
    }
    void changeCount() {
        QFETCH(Script, script);
        QFETCH(bool, logChanges);
        QFETCH(int, count);
        TClientDataSet ds;
        ds.SetData(packet());
        ds.LogChanges = logChanges;
        script(ds);
        QCOMPARE(ds.ChangeCount(), count);
        QCOMPARE(ds.Delta().changes.size(), count);
    }

    void deltaContents() {
        TClientDataSet ds;
        ds.SetData(packet());
        ds.SetRecNo(3);
        ds.Delete();         // K3
        insertRow(ds, "K3"); // same key again, after its deletion
        ds.First();
        setAmount(ds, 15); // K1
        setAmount(ds, 16);

        const ciap::Delta delta = ds.Delta();
        QCOMPARE(delta.fields, packet().fields);
        QCOMPARE(delta.changes.size(), 3);
        const ciap::DeltaChange& deleted = delta.changes.at(0);
        QCOMPARE(deleted.status, ChangeStatus::Deleted);
        QCOMPARE(deleted.oldValues, (QVariantList{"K3", 30.0, QVariant()}));
        QVERIFY(deleted.newValues.isEmpty());
        const ciap::DeltaChange& inserted = delta.changes.at(1);
        QCOMPARE(inserted.status, ChangeStatus::Inserted);
        QVERIFY(inserted.oldValues.isEmpty());
        QCOMPARE(inserted.newValues, (QVariantList{"K3", QVariant(), QVariant()}));
        const ciap::DeltaChange& modified = delta.changes.at(2);
        QCOMPARE(modified.status, ChangeStatus::Modified);
        QCOMPARE(modified.oldValues, (QVariantList{"K1", 10.0, QDate(2024, 1, 1)}));
        QCOMPARE(modified.newValues, (QVariantList{"K1", 16.0, QDate(2024, 1, 1)}));

        const QVariant variant = ds.DeltaVariant();
        QCOMPARE(variant.value<ciap::Delta>().changes.size(), 3);
    }

    void deltaRoundTrip() {
        TClientDataSet ds;
        ds.SetData(packet());
        setAmount(ds, 0.1 + 0.2);
        ds.Next();
        ds.Edit();
        ds.FieldByName("DAY")->Clear();
        ds.FieldByName("KEY")->SetValue(QStringLiteral("Çã"));
        ds.Post();
        ds.Next();
        ds.Delete();
        insertRow(ds, "N");

        const ciap::Delta delta = ds.Delta();
        const ciap::Delta back = ciap::deltaFromJson(ciap::deltaToJson(delta));
        QCOMPARE(back.fields, delta.fields);
        QCOMPARE(back.changes.size(), delta.changes.size());
        for (int i = 0; i < delta.changes.size(); ++i) {
            QCOMPARE(back.changes.at(i).status, delta.changes.at(i).status);
            QCOMPARE(back.changes.at(i).oldValues, delta.changes.at(i).oldValues);
            QCOMPARE(back.changes.at(i).newValues, delta.changes.at(i).newValues);
        }
    }

    void oldValue() {
        TClientDataSet ds;
        ds.SetData(packet());
        TField* amount = ds.FieldByName("AMOUNT");
        QCOMPARE(amount->OldValue(), QVariant(10.0));
        ds.Edit();
        amount->SetValue(99.0);
        QCOMPARE(amount->OldValue(), QVariant(10.0));
        ds.Post();
        QCOMPARE(amount->OldValue(), QVariant(10.0)); // not merged yet
        ds.MergeChangeLog();
        QCOMPARE(amount->OldValue(), QVariant(99.0));
        ds.Append();
        QVERIFY(!amount->OldValue().isValid());
        amount->SetValue(1.0);
        ds.Post();
        QVERIFY(!amount->OldValue().isValid()); // a new row has none until merged
    }

    void unloggedChangesBecomeTheBase() {
        TClientDataSet ds;
        ds.SetData(packet());
        ds.LogChanges = false;
        setAmount(ds, 42);
        QCOMPARE(ds.FieldByName("AMOUNT")->OldValue(), QVariant(42.0));
        ds.LogChanges = true;
        setAmount(ds, 43);
        QCOMPARE(ds.Delta().changes.at(0).oldValues.at(1), QVariant(42.0));
    }

    void mergeChangeLog() {
        TClientDataSet ds;
        ds.SetData(packet());
        setAmount(ds, 11);
        ds.Next();
        ds.Delete();
        insertRow(ds, "N");
        ds.MergeChangeLog();
        QCOMPARE(ds.ChangeCount(), 0);
        QVERIFY(ds.Delta().changes.isEmpty());
        QCOMPARE(ds.RecordCount(), 3);
        ds.First();
        QCOMPARE(ds.FieldByName("AMOUNT")->AsFloat(), 11.0);
        ds.Delete(); // now a deletion of a base row with the merged values
        QCOMPARE(ds.Delta().changes.at(0).oldValues.at(1), QVariant(11.0));
    }

    void cancelUpdates() {
        TClientDataSet ds;
        ds.SetData(packet());
        setAmount(ds, 11);
        ds.Next();
        ds.Delete(); // K2
        insertRow(ds, "N");
        ds.Edit();
        ds.FieldByName("KEY")->SetValue("P"); // pending edit, cancelled too
        ds.CancelUpdates();
        QCOMPARE(ds.State(), DataSetState::Browse);
        QCOMPARE(ds.ChangeCount(), 0);
        QStringList rows;
        for (ds.First(); !ds.Eof(); ds.Next())
            rows << ds.FieldByName("KEY")->AsString() + "=" + ds.FieldByName("AMOUNT")->AsString();
        QCOMPARE(rows, (QStringList{"K1=10", "K2=20", "K3=30"}));
    }

    // The nine-field asset packet: 100,000 rows must stay under 64 MiB once in the data set.
    void hundredThousandRowsFitInMemory() {
        ciap::DataPacket p;
        p.fields = {
            {"CDEMPRESA", FieldType::String, 2},       {"CDBEMATIVO", FieldType::String, 10},
            {"NMBEMATIVO", FieldType::String, 50},     {"CDPATRIBEMATIVO", FieldType::String, 30},
            {"DTCOMPETECIAP", FieldType::DateTime, 0}, {"VRCOEFICIAP", FieldType::Float, 0},
            {"VRPARCELACIAP", FieldType::Float, 0},    {"IDTPAPROPPISCOF", FieldType::String, 2},
            {"VRAPROPARCCIAP", FieldType::Float, 0}};
        constexpr int rows = 100000;
        const size_t heapBefore = mallinfo2().uordblks;
        p.rows.reserve(rows);
        for (int i = 0; i < rows; ++i) {
            const QString n = QString::number(i).rightJustified(10, QLatin1Char('0'));
            p.rows.append({"01", n, QStringLiteral("EQUIPAMENTO INDUSTRIAL DE TESTE NUMERO ") + n,
                           QStringLiteral("PAT-") + n + QStringLiteral("-SETOR-PRODUCAO"),
                           QDate(2024, 3, 1), 0.75, 1234.56 + i, "09", 925.92});
        }
        TClientDataSet ds;
        ds.SetData(std::move(p)); // consumes the rows
        QVERIFY(p.rows.isEmpty());
        const size_t heapAfter = mallinfo2().uordblks;
        QCOMPARE(ds.RecordCount(), rows);
        const std::size_t limit = 64u << 20;
        QVERIFY2(ds.memoryUsage() < limit, QByteArray::number(qulonglong(ds.memoryUsage())));
        // what the heap really holds now, beyond the data set's own accounting
        QVERIFY2(heapAfter - heapBefore < limit,
                 QByteArray::number(qulonglong(heapAfter - heapBefore)));
        ds.Last();
        QCOMPARE(ds.FieldByName("CDBEMATIVO")->AsString(), QStringLiteral("0000099999"));
        QVERIFY(ds.Locate("CDBEMATIVO", "0000050000", false));
        QCOMPARE(ds.RecNo(), 50001);
    }
};

QTEST_GUILESS_MAIN(TestChangeLog)
#include "tst_changelog.moc"
