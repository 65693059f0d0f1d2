#include "HostErrors.h"
#include "PackedPacket.h"
#include "PacketCodec.h"
#include "TClientDataSet.h"

#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <map>

using ciap::FieldType;

namespace {

ciap::DataPacket samplePacket() {
    ciap::DataPacket p;
    p.fields = {{"CODE", FieldType::String, 5},
                {"NAME", FieldType::String, 10},
                {"VALUE", FieldType::Float, 0},
                {"DAY", FieldType::DateTime, 0}};
    p.rows = {{"A1", "Alpha", 1.5, QDate(2024, 1, 1)},
              {"B2", "Beta", 2.5, QDate(2024, 2, 1)},
              {"C3", "Gamma", QVariant(), QVariant()}};
    return p;
}

const char* stateName(DataSetState s) {
    switch (s) {
    case DataSetState::Inactive:
        return "inactive";
    case DataSetState::Browse:
        return "browse";
    case DataSetState::Edit:
        return "edit";
    case DataSetState::Insert:
        return "insert";
    }
    return "?";
}

// Every event and every state change of a data set, in order.
struct Recorder {
    QStringList log;
    void attach(TClientDataSet& ds) {
        auto rec = [this](const char* name) {
            return [this, name](TClientDataSet&) { log << QString::fromLatin1(name); };
        };
        ds.BeforeOpen = rec("BeforeOpen");
        ds.AfterOpen = rec("AfterOpen");
        ds.BeforeClose = rec("BeforeClose");
        ds.AfterClose = rec("AfterClose");
        ds.BeforeInsert = rec("BeforeInsert");
        ds.AfterInsert = rec("AfterInsert");
        ds.OnNewRecord = rec("OnNewRecord");
        ds.BeforeEdit = rec("BeforeEdit");
        ds.AfterEdit = rec("AfterEdit");
        ds.BeforePost = rec("BeforePost");
        ds.AfterPost = rec("AfterPost");
        ds.BeforeCancel = rec("BeforeCancel");
        ds.AfterCancel = rec("AfterCancel");
        ds.BeforeDelete = rec("BeforeDelete");
        ds.AfterDelete = rec("AfterDelete");
        ds.BeforeScroll = rec("BeforeScroll");
        ds.AfterScroll = rec("AfterScroll");
        QObject::connect(&ds, &TClientDataSet::stateChanged, &ds, [this, &ds] {
            log << QStringLiteral("->%1").arg(QLatin1String(stateName(ds.State())));
        });
    }
};

struct Operation {
    std::function<void(TClientDataSet&)> prepare;
    std::function<void(TClientDataSet&)> run;
};

void setName(TClientDataSet& ds, const char* name) {
    ds.FieldByName("NAME")->SetValue(QString::fromLatin1(name));
}

const std::map<QString, Operation>& operations() {
    auto none = [](TClientDataSet&) {};
    auto editing = [](TClientDataSet& ds) { ds.Edit(); };
    auto modified = [](TClientDataSet& ds) {
        ds.Edit();
        setName(ds, "Changed");
    };
    auto inserting = [](TClientDataSet& ds) { ds.Insert(); };
    static const std::map<QString, Operation> ops = {
        {"SetData", {none, [](TClientDataSet& ds) { ds.SetData(samplePacket()); }}},
        {"SetData empty",
         {none,
          [](TClientDataSet& ds) {
              auto p = samplePacket();
              p.rows.clear();
              ds.SetData(p);
          }}},
        {"SetData while editing",
         {modified, [](TClientDataSet& ds) { ds.SetData(samplePacket()); }}},
        {"CreateDataSet", {none, [](TClientDataSet& ds) { ds.CreateDataSet(); }}},
        {"Close", {none, [](TClientDataSet& ds) { ds.Close(); }}},
        {"Close while editing", {modified, [](TClientDataSet& ds) { ds.Close(); }}},
        {"Insert", {none, [](TClientDataSet& ds) { ds.Insert(); }}},
        {"Append", {none, [](TClientDataSet& ds) { ds.Append(); }}},
        {"Insert after modified edit", {modified, [](TClientDataSet& ds) { ds.Insert(); }}},
        {"Edit", {none, [](TClientDataSet& ds) { ds.Edit(); }}},
        {"Edit while editing", {editing, [](TClientDataSet& ds) { ds.Edit(); }}},
        {"Edit on empty set",
         {[](TClientDataSet& ds) { ds.EmptyDataSet(); }, [](TClientDataSet& ds) { ds.Edit(); }}},
        {"Post edit", {modified, [](TClientDataSet& ds) { ds.Post(); }}},
        {"Post unchanged", {editing, [](TClientDataSet& ds) { ds.Post(); }}},
        {"Post insert", {inserting, [](TClientDataSet& ds) { ds.Post(); }}},
        {"Post in browse", {none, [](TClientDataSet& ds) { ds.Post(); }}},
        {"Cancel edit", {editing, [](TClientDataSet& ds) { ds.Cancel(); }}},
        {"Cancel insert", {inserting, [](TClientDataSet& ds) { ds.Cancel(); }}},
        {"Cancel in browse", {none, [](TClientDataSet& ds) { ds.Cancel(); }}},
        {"Delete", {none, [](TClientDataSet& ds) { ds.Delete(); }}},
        {"Delete while editing", {editing, [](TClientDataSet& ds) { ds.Delete(); }}},
        {"Delete in insert", {inserting, [](TClientDataSet& ds) { ds.Delete(); }}},
        {"First", {none, [](TClientDataSet& ds) { ds.First(); }}},
        {"Next", {none, [](TClientDataSet& ds) { ds.Next(); }}},
        {"Next at end",
         {[](TClientDataSet& ds) { ds.Last(); }, [](TClientDataSet& ds) { ds.Next(); }}},
        {"Next after modified edit", {modified, [](TClientDataSet& ds) { ds.Next(); }}},
        {"Next after unmodified edit", {editing, [](TClientDataSet& ds) { ds.Next(); }}},
        {"Prior at start", {none, [](TClientDataSet& ds) { ds.Prior(); }}},
        {"Last", {none, [](TClientDataSet& ds) { ds.Last(); }}},
        {"SetRecNo", {none, [](TClientDataSet& ds) { ds.SetRecNo(3); }}},
        {"SetRecNo same row", {none, [](TClientDataSet& ds) { ds.SetRecNo(1); }}},
        {"Locate", {none, [](TClientDataSet& ds) { ds.Locate("CODE", "c3", true); }}},
        {"Locate miss", {none, [](TClientDataSet& ds) { ds.Locate("CODE", "zz", true); }}},
        {"EmptyDataSet", {none, [](TClientDataSet& ds) { ds.EmptyDataSet(); }}},
    };
    return ops;
}

} // namespace

class TestClientDataSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eventOrder_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("SetData") << "SetData"
                                 << QStringList{"BeforeOpen", "AfterOpen", "AfterScroll"};
        QTest::newRow("SetData empty") << "SetData empty" << QStringList{"BeforeOpen", "AfterOpen"};
        // the pending edit is dropped, never posted
        QTest::newRow("SetData while editing")
            << "SetData while editing"
            << QStringList{"BeforeOpen", "->browse", "AfterOpen", "AfterScroll"};
        QTest::newRow("CreateDataSet") << "CreateDataSet" << QStringList{"BeforeOpen", "AfterOpen"};
        QTest::newRow("Close") << "Close" << QStringList{"BeforeClose", "->inactive", "AfterClose"};
        QTest::newRow("Close while editing")
            << "Close while editing" << QStringList{"BeforeClose", "->inactive", "AfterClose"};
        const QStringList insert{"BeforeInsert", "BeforeScroll", "->insert",
                                 "OnNewRecord",  "AfterInsert",  "AfterScroll"};
        QTest::newRow("Insert") << "Insert" << insert;
        QTest::newRow("Append") << "Append" << insert;
        QTest::newRow("Insert after modified edit")
            << "Insert after modified edit"
            << QStringList{"BeforePost", "->browse", "AfterPost"} + insert;
        QTest::newRow("Edit") << "Edit" << QStringList{"BeforeEdit", "->edit", "AfterEdit"};
        QTest::newRow("Edit while editing") << "Edit while editing" << QStringList{};
        QTest::newRow("Edit on empty set") << "Edit on empty set" << insert;
        QTest::newRow("Post edit")
            << "Post edit" << QStringList{"BeforePost", "->browse", "AfterPost"};
        QTest::newRow("Post unchanged")
            << "Post unchanged" << QStringList{"BeforePost", "->browse", "AfterPost"};
        QTest::newRow("Post insert")
            << "Post insert" << QStringList{"BeforePost", "->browse", "AfterPost"};
        QTest::newRow("Post in browse") << "Post in browse" << QStringList{};
        QTest::newRow("Cancel edit")
            << "Cancel edit" << QStringList{"BeforeCancel", "->browse", "AfterCancel"};
        QTest::newRow("Cancel insert")
            << "Cancel insert" << QStringList{"BeforeCancel", "->browse", "AfterCancel"};
        QTest::newRow("Cancel in browse") << "Cancel in browse" << QStringList{};
        QTest::newRow("Delete") << "Delete"
                                << QStringList{"BeforeDelete", "BeforeScroll", "AfterDelete",
                                               "AfterScroll"};
        QTest::newRow("Delete while editing")
            << "Delete while editing"
            << QStringList{"BeforeDelete", "BeforeScroll", "->browse", "AfterDelete",
                           "AfterScroll"};
        QTest::newRow("Delete in insert")
            << "Delete in insert" << QStringList{"BeforeCancel", "->browse", "AfterCancel"};
        const QStringList scroll{"BeforeScroll", "AfterScroll"};
        QTest::newRow("First") << "First" << scroll;
        QTest::newRow("Next") << "Next" << scroll;
        QTest::newRow("Next at end") << "Next at end" << QStringList{"BeforeScroll"};
        QTest::newRow("Next after modified edit")
            << "Next after modified edit"
            << QStringList{"BeforePost", "->browse", "AfterPost"} + scroll;
        QTest::newRow("Next after unmodified edit")
            << "Next after unmodified edit"
            << QStringList{"BeforeCancel", "->browse", "AfterCancel"} + scroll;
        QTest::newRow("Prior at start") << "Prior at start" << QStringList{"BeforeScroll"};
        QTest::newRow("Last") << "Last" << scroll;
        QTest::newRow("SetRecNo") << "SetRecNo" << scroll;
        QTest::newRow("SetRecNo same row") << "SetRecNo same row" << QStringList{};
        QTest::newRow("Locate") << "Locate" << scroll;
        QTest::newRow("Locate miss") << "Locate miss" << QStringList{"BeforeScroll"};
        QTest::newRow("EmptyDataSet") << "EmptyDataSet" << QStringList{};
    }
    void eventOrder() {
        QFETCH(QString, operation);
        QFETCH(QStringList, expected);
        const Operation& op = operations().at(operation);
        TClientDataSet ds;
        ds.SetData(samplePacket());
        op.prepare(ds);
        Recorder recorder;
        recorder.attach(ds);
        op.run(ds);
        QCOMPARE(recorder.log, expected);
    }

    // A before-event that throws leaves state, cursor, values and log as they were; the
    // exception reaches the caller.
    void beforeEventAborts_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("silent");
        const QList<std::pair<const char*, const char*>> cases = {
            {"BeforeOpen", "SetData"},
            {"BeforeClose", "Close"},
            {"BeforeInsert", "Insert"},
            {"BeforeScroll", "Append"},
            {"OnNewRecord", "Insert"},
            {"BeforeEdit", "Edit"},
            {"BeforePost", "Post edit"},
            {"BeforePost", "Post insert"},
            {"BeforeCancel", "Cancel edit"},
            {"BeforeCancel", "Cancel insert"},
            {"BeforeDelete", "Delete"},
            {"BeforeScroll", "Delete"},
            {"BeforeDelete", "Delete while editing"},
            {"BeforeScroll", "Next"},
            {"BeforeScroll", "Locate"},
            {"BeforeScroll", "SetRecNo"},
            {"BeforePost", "Next after modified edit"},
        };
        for (const auto& [event, operation] : cases) {
            for (bool silent : {false, true})
                QTest::addRow("%s in %s%s", event, operation, silent ? " (EAbort)" : "")
                    << event << operation << silent;
        }
    }
    void beforeEventAborts() {
        QFETCH(QString, event);
        QFETCH(QString, operation);
        QFETCH(bool, silent);
        const Operation& op = operations().at(operation);
        TClientDataSet ds;
        ds.SetData(samplePacket());
        ds.Edit(); // one logged change beforehand, so the log has something to lose
        setName(ds, "Logged");
        ds.Post();
        ds.Next();
        op.prepare(ds);

        auto thrower = [silent](TClientDataSet&) {
            if (silent)
                throw EAbort();
            throw EHostError("recusado");
        };
        std::map<QString, TClientDataSet::DataSetEvent*> events = {
            {"BeforeOpen", &ds.BeforeOpen},     {"BeforeClose", &ds.BeforeClose},
            {"BeforeInsert", &ds.BeforeInsert}, {"OnNewRecord", &ds.OnNewRecord},
            {"BeforeEdit", &ds.BeforeEdit},     {"BeforePost", &ds.BeforePost},
            {"BeforeCancel", &ds.BeforeCancel}, {"BeforeDelete", &ds.BeforeDelete},
            {"BeforeScroll", &ds.BeforeScroll}};
        *events.at(event) = thrower;

        const auto snapshot = [&ds] {
            QVariantList s{int(ds.State()),      ds.currentRow(),  ds.RecNo(),
                           ds.visibleRowCount(), ds.ChangeCount(), ds.Modified()};
            for (int r = 0; r < ds.visibleRowCount(); ++r)
                for (int f = 0; f < ds.FieldCount(); ++f)
                    s << ds.valueAt(r, f) << ds.oldValueAt(r, f);
            s << ds.Delta().changes.size();
            return s;
        };
        const QVariantList before = snapshot();
        QSignalSpy resets(&ds, &TClientDataSet::dataReset);
        bool thrown = false;
        try {
            op.run(ds);
        } catch (const EHostError& e) {
            thrown = true;
            QCOMPARE(e.text(), silent ? QString() : QStringLiteral("recusado"));
        }
        QVERIFY(thrown);
        QCOMPARE(snapshot(), before);
        QCOMPARE(resets.count(), 0);
    }

    void recNoAndNavigation() {
        TClientDataSet ds;
        ds.SetData(samplePacket());
        QCOMPARE(ds.RecNo(), 1);
        QVERIFY(ds.Bof());
        QStringList codes;
        for (ds.First(); !ds.Eof(); ds.Next())
            codes << ds.FieldByName("CODE")->AsString();
        QCOMPARE(codes, (QStringList{"A1", "B2", "C3"}));
        QCOMPARE(ds.RecNo(), 3);
        ds.Insert();
        QCOMPARE(ds.RecNo(), -1);
        QCOMPARE(ds.RecordCount(), 3);
        QCOMPARE(ds.visibleRowCount(), 4);
        QCOMPARE(ds.currentRow(), 2); // inserted before the current row
        ds.Cancel();
        QCOMPARE(ds.RecNo(), 3);
        ds.Append();
        QCOMPARE(ds.currentRow(), 3);
        ds.FieldByName("CODE")->SetValue("D4");
        ds.Post();
        QCOMPARE(ds.RecNo(), 4);
        QCOMPARE(ds.FieldByName("CODE")->AsString(), QStringLiteral("D4"));
        ds.EmptyDataSet();
        QCOMPARE(ds.RecNo(), 0);
        QVERIFY(ds.IsEmpty() && ds.Bof() && ds.Eof());
        QVERIFY_THROWS_EXCEPTION(EHostError, ds.Delete());
        ds.Close();
        QVERIFY(!ds.Active());
        QCOMPARE(ds.RecordCount(), 0);
        QVERIFY_THROWS_EXCEPTION(EHostError, ds.Next());
    }

    void deleteMovesToNextThenPrevious() {
        TClientDataSet ds;
        ds.SetData(samplePacket());
        ds.SetRecNo(2);
        ds.Delete();
        QCOMPARE(ds.FieldByName("CODE")->AsString(), QStringLiteral("C3"));
        ds.Delete();
        QCOMPARE(ds.FieldByName("CODE")->AsString(), QStringLiteral("A1"));
        ds.Delete();
        QVERIFY(ds.IsEmpty());
        QVERIFY(ds.FieldByName("CODE")->IsNull());
    }

    void locate_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("caseInsensitive");
        QTest::addColumn<int>("recNo"); // 0: not found, cursor stays on row 2
        QTest::newRow("exact") << "CODE" << QVariant("C3") << false << 3;
        QTest::newRow("other case, insensitive") << "code" << QVariant("c3") << true << 3;
        QTest::newRow("other case, sensitive") << "CODE" << QVariant("c3") << false << 0;
        QTest::newRow("partial never matches") << "NAME" << QVariant("Gam") << true << 0;
        QTest::newRow("longer than the field") << "CODE" << QVariant("A1xxxx") << true << 0;
        QTest::newRow("float") << "VALUE" << QVariant(1.5) << false << 1;
        QTest::newRow("float as text") << "VALUE" << QVariant("2,5") << false << 2;
        QTest::newRow("not a number") << "VALUE" << QVariant("abc") << false << 0;
        QTest::newRow("date") << "DAY" << QVariant(QDate(2024, 1, 1)) << false << 1;
        QTest::newRow("null") << "DAY" << QVariant() << false << 3;
    }
    void locate() {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(bool, caseInsensitive);
        QFETCH(int, recNo);
        TClientDataSet ds;
        ds.SetData(samplePacket());
        ds.SetRecNo(2);
        QCOMPARE(ds.Locate(field, value, caseInsensitive), recNo != 0);
        QCOMPARE(ds.RecNo(), recNo != 0 ? recNo : 2);
    }

    void setDataMatchesDeclaredFields() {
        TClientDataSet ds;
        TField* code = ds.AddField({"code", FieldType::String, 1}); // cut to one character
        TField* missing = ds.AddField({"MISSING", FieldType::Float, 0});
        TField* value = ds.AddField({"Value", FieldType::String, 10});
        ds.SetData(samplePacket());
        QCOMPARE(ds.FieldCount(), 3); // NAME and DAY are not declared: ignored
        QCOMPARE(code->AsString(), QStringLiteral("A"));
        QVERIFY(missing->IsNull());
        QCOMPARE(value->AsString(), QStringLiteral("1,5")); // float into a string field
        QCOMPARE(ds.FieldByName("CODE"), code);
        QVERIFY_THROWS_EXCEPTION(EHostError, ds.FieldByName("NAME"));
        QVERIFY_THROWS_EXCEPTION(EHostError, ds.AddField({"X", FieldType::String, 1}));
    }

    void setDataTakesPacketFields() {
        TClientDataSet ds;
        ds.SetData(samplePacket());
        QCOMPARE(ds.FieldDefs(), samplePacket().fields);
        TField* name = ds.FieldByName("NAME");
        ds.SetData(samplePacket()); // same layout: the field objects stay
        QCOMPARE(ds.FieldByName("NAME"), name);
        ciap::DataPacket other;
        other.fields = {{"ONLY", FieldType::Float, 0}};
        other.rows = {{7.0}};
        ds.SetData(other);
        QCOMPARE(ds.FieldCount(), 1);
        QCOMPARE(ds.FieldByName("ONLY")->AsFloat(), 7.0);
    }

    // Rows that arrive packed fill a data set as the same packet's values do: events, fields
    // (declared or the packet's own) and every value, while editing too.
    void packedPacketFillsAsValuesDo_data() {
        QTest::addColumn<QList<ciap::FieldDef>>("declared");
        QTest::addColumn<bool>("editing");
        QTest::newRow("the packet's fields") << QList<ciap::FieldDef>{} << false;
        QTest::newRow("while editing") << QList<ciap::FieldDef>{} << true;
        QTest::newRow("declared alike") << samplePacket().fields << false;
        QTest::newRow("declared otherwise")
            << QList<ciap::FieldDef>{{"day", FieldType::DateTime, 0},
                                     {"CODE", FieldType::String, 1},
                                     {"MISSING", FieldType::Float, 0},
                                     {"VALUE", FieldType::String, 10}}
            << false;
    }
    void packedPacketFillsAsValuesDo() {
        QFETCH(QList<ciap::FieldDef>, declared);
        QFETCH(bool, editing);
        const QVariant packed =
            QVariant::fromValue(decodePackedPacket(ciap::encodePacket(samplePacket())));
        TClientDataSet byValues;
        TClientDataSet byPacked;
        Recorder recorders[2];
        int i = 0;
        for (TClientDataSet* ds : {&byValues, &byPacked}) {
            for (const ciap::FieldDef& f : declared)
                ds->AddField(f);
            if (editing) {
                ds->SetData(samplePacket());
                ds->Edit();
                setName(*ds, "Changed");
            }
            recorders[i++].attach(*ds);
            ds == &byValues ? ds->SetData(samplePacket()) : ds->SetData(packed);
        }
        QCOMPARE(recorders[1].log, recorders[0].log);
        QCOMPARE(byPacked.FieldDefs(), byValues.FieldDefs());
        QCOMPARE(byPacked.RecordCount(), 3);
        QCOMPARE(byPacked.ChangeCount(), 0);
        for (int row = 1; row <= 3; ++row) {
            byValues.SetRecNo(row);
            byPacked.SetRecNo(row);
            for (int f = 0; f < byValues.FieldCount(); ++f)
                QCOMPARE(byPacked.Fields().at(std::size_t(f))->Value(),
                         byValues.Fields().at(std::size_t(f))->Value());
        }
    }

    void setDataReplacesRowsAndLog() {
        TClientDataSet ds;
        ds.SetData(samplePacket());
        ds.Delete();
        ds.Edit();
        setName(ds, "Edited");
        QCOMPARE(ds.ChangeCount(), 1);
        ds.SetData(QVariant::fromValue(samplePacket()));
        QCOMPARE(ds.State(), DataSetState::Browse);
        QCOMPARE(ds.ChangeCount(), 0);
        QCOMPARE(ds.RecordCount(), 3);
        QCOMPARE(ds.RecNo(), 1);
        QCOMPARE(ds.FieldByName("NAME")->AsString(), QStringLiteral("Alpha"));
        QVERIFY_THROWS_EXCEPTION(EHostError, ds.SetData(QVariant(QStringLiteral("x"))));
    }

    // A value that cannot be converted fails the whole fill and keeps the old rows.
    void setDataWithBadValueKeepsRows() {
        TClientDataSet ds;
        ds.AddField({"VALUE", FieldType::Float, 0});
        ds.SetData(samplePacket());
        ciap::DataPacket bad;
        bad.fields = {{"VALUE", FieldType::String, 10}};
        bad.rows = {{"3,5"}, {"oops"}};
        QVERIFY_THROWS_EXCEPTION(EHostError, ds.SetData(bad));
        QCOMPARE(ds.RecordCount(), 3);
        QCOMPARE(ds.FieldByName("VALUE")->AsFloat(), 1.5);
    }

    void createDataSet() {
        TClientDataSet ds;
        QVERIFY_THROWS_EXCEPTION(EHostError, ds.CreateDataSet());
        ds.AddField({"CODE", FieldType::String, 5});
        ds.CreateDataSet();
        QVERIFY(ds.Active());
        QVERIFY(ds.IsEmpty());
        ds.Append();
        ds.FieldByName("CODE")->SetValue("X");
        ds.Post();
        QCOMPARE(ds.RecordCount(), 1);
        QCOMPARE(ds.ChangeCount(), 1);
    }

    void setValueOutsideEditRaises() {
        TClientDataSet ds;
        ds.SetData(samplePacket());
        try {
            setName(ds, "x");
            QFAIL("no error");
        } catch (const EHostError& e) {
            QCOMPARE(e.text(), QStringLiteral("Conjunto de dados não está em modo de edição"));
        }
        QCOMPARE(ds.State(), DataSetState::Browse);
    }

    // Handlers may reload the data set they belong to (the screen reloads its list after a
    // post or delete): the operation must not touch stale rows afterwards.
    void handlerReloadsDuringOperation() {
        TClientDataSet ds;
        ds.SetData(samplePacket());
        ds.AfterPost = [](TClientDataSet& self) { self.SetData(samplePacket()); };
        ds.AfterDelete = [](TClientDataSet& self) { self.SetData(samplePacket()); };
        ds.SetRecNo(3);
        ds.Edit();
        setName(ds, "Posted");
        ds.moveToRow(0);
        QCOMPARE(ds.RecordCount(), 3);
        QCOMPARE(ds.FieldByName("NAME")->AsString(), QStringLiteral("Alpha"));
        ds.Delete();
        QCOMPARE(ds.RecordCount(), 3);
    }

    void moveToRowAcrossPendingInsert() {
        TClientDataSet ds;
        ds.SetData(samplePacket());
        ds.SetRecNo(2);
        ds.Insert(); // visible rows: A1, new, B2, C3
        ds.FieldByName("CODE")->SetValue("N");
        ds.moveToRow(3); // posts the new row, then goes to C3
        QCOMPARE(ds.FieldByName("CODE")->AsString(), QStringLiteral("C3"));
        QCOMPARE(ds.RecordCount(), 4);
        ds.Insert();
        ds.moveToRow(0); // nothing typed: the new row is dropped
        QCOMPARE(ds.FieldByName("CODE")->AsString(), QStringLiteral("A1"));
        QCOMPARE(ds.RecordCount(), 4);
    }

    void displayRowScopeReadsWithoutMoving() {
        TClientDataSet ds;
        ds.SetData(samplePacket());
        QSignalSpy moves(&ds, &TClientDataSet::currentRowChanged);
        TField* name = ds.FieldByName("NAME");
        {
            const TClientDataSet::DisplayRowScope scope(ds, 2);
            QCOMPARE(name->AsString(), QStringLiteral("Gamma"));
        }
        QCOMPARE(name->AsString(), QStringLiteral("Alpha"));
        ds.Edit();
        name->SetValue("Typed");
        const TClientDataSet::DisplayRowScope scope(ds, 0);
        QCOMPARE(name->AsString(), QStringLiteral("Typed")); // the edit buffer of row 0
        QCOMPARE(moves.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestClientDataSet)
#include "tst_clientdataset.moc"
