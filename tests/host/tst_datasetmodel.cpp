#include "DataSetModel.h"
#include "EditMask.h"
#include "HostErrors.h"
#include "RecordingDialogService.h"
#include "TClientDataSet.h"
#include "TDataSource.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using ciap::FieldType;

namespace {

ciap::DataPacket assets() {
    ciap::DataPacket p;
    p.fields = {{"CDBEMATIVO", FieldType::String, 10},
                {"SIT", FieldType::String, 1},
                {"VRPARCELACIAP", FieldType::Float, 0},
                {"HIDDEN", FieldType::String, 2}};
    p.rows = {{"0000000001", "P", 1234.567, "x"},
              {"0000000002", "A", 0.5, "y"},
              {"0000000003", "", QVariant(), "z"}};
    return p;
}

void declare(TClientDataSet& ds) {
    ds.AddField({"CDBEMATIVO", FieldType::String, 10})->DisplayLabel = QStringLiteral("Nr. Bem");
    TField* sit = ds.AddField({"SIT", FieldType::String, 1});
    sit->DisplayLabel = QStringLiteral("Situação");
    sit->OnGetText = [](TField& f, QString& text, bool) {
        if (f.AsString() == "P")
            text = QStringLiteral("Pendente");
        else if (f.AsString() == "A")
            text = QStringLiteral("Apropriado");
    };
    sit->OnSetText = [](TField& f, const QString& text) {
        if (text == "Pendente")
            f.SetValue("P");
        else if (text == "Apropriado")
            f.SetValue("A");
    };
    ds.AddField({"VRPARCELACIAP", FieldType::Float, 0})->DisplayFormat = QStringLiteral("#,##0.00");
    ds.AddField({"HIDDEN", FieldType::String, 2})->Visible = false;
}

} // namespace

class TestDataSetModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_dialogs.clear();
        DialogService::setInstance(&m_dialogs);
    }
    void cleanup() { DialogService::setInstance(nullptr); }

    void displaysFieldTexts() {
        TClientDataSet ds;
        declare(ds);
        ds.SetData(assets());
        TDataSource source;
        source.SetDataSet(&ds);
        DataSetModel model(&source);
        QCOMPARE(model.columnCount(), 3); // hidden field left out
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nr. Bem"));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("VRPARCELACIAP"));

        int scrolls = 0;
        ds.AfterScroll = [&](TClientDataSet&) { ++scrolls; };
        // each row through the handler, while the cursor stays on the first row
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("Pendente"));
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("Apropriado"));
        QCOMPARE(model.index(2, 1).data().toString(), QString());
        QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("1.234,57"));
        QCOMPARE(model.index(0, 2).data(Qt::EditRole).toString(), QStringLiteral("1234,567"));
        QCOMPARE(model.index(2, 2).data().toString(), QString());
        QCOMPARE(model.index(1, 2).data(DataSetModel::RawValueRole), QVariant(0.5));
        QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(ds.RecNo(), 1);
        QCOMPARE(scrolls, 0);
    }

    void explicitColumns() {
        TClientDataSet ds;
        declare(ds);
        ds.SetData(assets());
        TDataSource source;
        source.SetDataSet(&ds);
        DataSetModel model(&source);
        model.setColumns({{"HIDDEN", "", 20}, {"sit", "Sit.", 60}, {"NOPE", "Ausente", 0}});
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("y"));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("HIDDEN"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Sit."));
        QCOMPARE(model.columnWidth(1), 60);
        QCOMPARE(model.columnOf("SIT"), 1);
        QVERIFY(!model.fieldAt(2));
        QVERIFY(!model.index(0, 2).data().isValid());
        QVERIFY(!(model.flags(model.index(0, 2)) & Qt::ItemIsEditable));
    }

    // Structure signals stay consistent through every operation, including re-binding.
    void modelStaysConsistent() {
        TClientDataSet ds;
        declare(ds);
        TClientDataSet other;
        TDataSource source;
        source.SetDataSet(&ds);
        DataSetModel model(&source);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        ds.SetData(assets());
        QCOMPARE(model.rowCount(), 3);
        ds.SetRecNo(2);
        ds.Insert();
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.index(1, 0).data().toString(), QString()); // the pending row
        ds.FieldByName("CDBEMATIVO")->SetValue("N");
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("N"));
        ds.Post();
        QCOMPARE(model.rowCount(), 4);
        ds.Append();
        ds.Cancel();
        QCOMPARE(model.rowCount(), 4);
        ds.Delete();
        QCOMPARE(model.rowCount(), 3);
        ds.Append();
        ds.Delete(); // cancels the insert
        QCOMPARE(model.rowCount(), 3);
        ds.OnNewRecord = [](TClientDataSet&) { throw EAbort(); };
        QVERIFY_THROWS_EXCEPTION(EAbort, ds.Insert());
        QCOMPARE(model.rowCount(), 3);
        ds.OnNewRecord = nullptr;

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        other.SetData(assets());
        other.Delete();
        source.SetDataSet(&other);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.columnCount(), 4); // other takes every packet field
        ds.Delete();                      // the old data set no longer reaches the model
        QCOMPARE(model.rowCount(), 2);
        source.SetDataSet(nullptr);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(resets.count(), 2);
        source.SetDataSet(&ds);
        ds.Close();
        QCOMPARE(model.rowCount(), 0);
    }

    void setDataEditsThroughTheField() {
        TClientDataSet ds;
        declare(ds);
        ds.SetData(assets());
        TDataSource source;
        source.SetDataSet(&ds);
        DataSetModel model(&source);
        QStringList events;
        ds.AfterScroll = [&](TClientDataSet&) { events << "AfterScroll"; };
        ds.AfterEdit = [&](TClientDataSet&) { events << "AfterEdit"; };
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        QVERIFY(model.setData(model.index(2, 1), QStringLiteral("Apropriado")));
        QCOMPARE(events, (QStringList{"AfterScroll", "AfterEdit"}));
        QCOMPARE(ds.State(), DataSetState::Edit);
        QCOMPARE(ds.RecNo(), 3);
        QCOMPARE(ds.FieldByName("SIT")->AsString(), QStringLiteral("A"));
        QVERIFY(!changed.isEmpty());
        QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("Apropriado"));

        QVERIFY(model.setData(model.index(2, 2), QStringLiteral("1.000,5")));
        QCOMPARE(ds.FieldByName("VRPARCELACIAP")->AsFloat(), 1000.5);
        QVERIFY(m_dialogs.entries.isEmpty());
    }

    void setDataErrorIsShown() {
        TClientDataSet ds;
        declare(ds);
        ds.SetData(assets());
        TDataSource source;
        source.SetDataSet(&ds);
        DataSetModel model(&source);
        QVERIFY(!model.setData(model.index(0, 2), QStringLiteral("abc")));
        QCOMPARE(m_dialogs.errors(), QStringList{"'abc' não é um valor válido."});
        QCOMPARE(ds.FieldByName("VRPARCELACIAP")->AsFloat(), 1234.567);

        // a handler refusing the text (the screen's MensErro: already shown, then EAbort)
        ds.FieldByName("SIT")->OnSetText = [](TField&, const QString& text) {
            DialogService::instance().showMessage(DialogKind::Error, text + " inválido");
            throw EAbort();
        };
        m_dialogs.clear();
        QVERIFY(!model.setData(model.index(0, 1), QStringLiteral("X")));
        QCOMPARE(m_dialogs.errors(), QStringList{"X inválido"});
    }

    void editingSwitch() {
        TClientDataSet ds;
        declare(ds);
        ds.SetData(assets());
        TDataSource source;
        source.SetDataSet(&ds);
        DataSetModel model(&source);
        QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
        model.setEditingEnabled(false);
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(!model.setData(model.index(0, 0), QStringLiteral("9")));
        QCOMPARE(ds.State(), DataSetState::Browse);
    }

    void dataSourceStateChange() {
        TClientDataSet first;
        declare(first);
        first.SetData(assets());
        auto second = std::make_unique<TClientDataSet>();
        TDataSource source;
        QList<DataSetState> seen;
        source.OnStateChange = [&](TDataSource& s) { seen << s.State(); };
        QSignalSpy changes(&source, &TDataSource::stateChanged);
        QSignalSpy rebinds(&source, &TDataSource::dataSetChanged);

        source.SetDataSet(&first);
        source.SetDataSet(&first); // the same set: nothing
        first.Edit();
        first.Cancel();
        source.SetDataSet(second.get());
        first.Edit(); // no longer bound
        source.SetDataSet(nullptr);
        QCOMPARE(seen, (QList<DataSetState>{DataSetState::Browse, DataSetState::Edit,
                                            DataSetState::Browse, DataSetState::Inactive,
                                            DataSetState::Inactive}));
        QCOMPARE(changes.count(), seen.size());
        QCOMPARE(rebinds.count(), 3);

        source.SetDataSet(second.get());
        second.reset(); // destroyed while bound: unbound, without running the handler
        QVERIFY(!source.DataSet());
        QCOMPARE(source.State(), DataSetState::Inactive);
        QCOMPARE(rebinds.count(), 5);
        QCOMPARE(seen.size(), 6);
    }

    void inputMask_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("qt");
        QTest::newRow("competência") << "99/9999 ;1; "
                                     << "00/0000; ";
        QTest::newRow("required digits") << "!00/00/0000;1;_"
                                         << "99/99/9999;_";
        QTest::newRow("letters upper") << ">LL;0;_"
                                       << ">AA;_";
        QTest::newRow("no case") << "<>aaCc;1;*"
                                 << "!nnXx;*";
        QTest::newRow("escaped and Qt literals") << "\\9-N;1;_"
                                                 << "\\9-\\N;_";
        QTest::newRow("blank literal") << "00_00"
                                       << "99 99;_";
        QTest::newRow("empty") << ""
                               << "";
    }
    void inputMask() {
        QFETCH(QString, platform);
        QFETCH(QString, qt);
        QCOMPARE(qtInputMask(platform), qt);
    }

private:
    RecordingDialogService m_dialogs;
};

QTEST_MAIN(TestDataSetModel)
#include "tst_datasetmodel.moc"
