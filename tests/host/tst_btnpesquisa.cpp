#include "HostErrors.h"
#include "RecordingDialogService.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDataSource.h"

#include <QLineEdit>
#include <QTest>

class TestBtnPesquisa : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_dialogs.clear();
        DialogService::setInstance(&m_dialogs);
        m_ds = std::make_unique<TClientDataSet>();
        m_source = std::make_unique<TDataSource>();
        m_source->SetDataSet(m_ds.get());
        m_edit = std::make_unique<QLineEdit>();
        m_button = std::make_unique<TBtnPesquisa>();
        m_button->SetAssociate(m_edit.get());
        m_button->SetDataSource(m_source.get());
        m_button->SetTitle(QStringLiteral("Empresa"));
        m_button->SetEmptyError(QStringLiteral("Não há Empresa cadastrada"));
        m_log.clear();
        m_button->OnBeforePesq = [this](QObject* sender, bool& allow) {
            QCOMPARE(sender, m_button.get());
            QVERIFY(allow);
            m_log.append(QStringLiteral("before"));
        };
        m_button->OnAfterPesq = [this](QObject* sender) {
            QCOMPARE(sender, m_button.get());
            m_log.append(QStringLiteral("after:") + m_ds->FieldByName("NMEMPRESA")->AsString());
        };
    }
    void cleanup() {
        m_button.reset();
        m_edit.reset();
        m_source.reset();
        m_ds.reset();
        DialogService::setInstance(nullptr);
    }

    void looksLikeALookupButton() {
        QCOMPARE(m_button->text(), QStringLiteral("..."));
        QCOMPARE(m_button->toolTip(), QStringLiteral("Pesquisar"));
    }

    void pickWritesTheFirstFieldThenFiresAfter() {
        fill(3);
        m_edit->setText(QStringLiteral("xx"));
        m_dialogs.enqueuePick(1);
        m_button->click();
        QCOMPARE(m_dialogs.pickTitles, QStringList{QStringLiteral("Empresa")});
        QCOMPARE(m_edit->text(), QStringLiteral("02"));
        QCOMPARE(m_ds->RecNo(), 2);
        QCOMPARE(m_log, QStringList({"before", "after:Empresa 2"}));
        QVERIFY(m_dialogs.entries.isEmpty());
    }

    void dismissedSearchChangesNothing() {
        fill(2);
        m_edit->setText(QStringLiteral("07"));
        m_dialogs.enqueuePick(-1);
        QVERIFY(!m_button->Execute());
        QCOMPARE(m_edit->text(), QStringLiteral("07"));
        QCOMPARE(m_log, QStringList{"before"});
    }

    void noRowsShowsTheEmptyText_data() {
        QTest::addColumn<bool>("open");
        QTest::newRow("empty") << true;
        QTest::newRow("closed") << false;
    }
    void noRowsShowsTheEmptyText() {
        QFETCH(bool, open);
        if (open)
            fill(0);
        m_dialogs.enqueuePick(0);
        QVERIFY(!m_button->Execute());
        QCOMPARE(m_log, QStringList{"before"});
        QCOMPARE(m_dialogs.entries.size(), 1);
        QCOMPARE(m_dialogs.entries.first().kind, DialogKind::Information);
        QCOMPARE(m_dialogs.entries.first().text, QStringLiteral("Não há Empresa cadastrada"));
        QVERIFY(m_dialogs.pickTitles.isEmpty());
    }

    void beforeHandlerFillsTheListAfresh() {
        m_button->OnBeforePesq = [this](QObject*, bool&) { fill(1); };
        m_dialogs.enqueuePick(0);
        QVERIFY(m_button->Execute());
        QCOMPARE(m_edit->text(), QStringLiteral("01"));
    }

    void beforeHandlerMayCancel() {
        fill(2);
        m_button->OnBeforePesq = [](QObject*, bool& allow) { allow = false; };
        m_dialogs.enqueuePick(0);
        QVERIFY(!m_button->Execute());
        QVERIFY(m_dialogs.pickTitles.isEmpty());
        QVERIFY(m_dialogs.entries.isEmpty());
        QVERIFY(m_edit->text().isEmpty());
    }

    void handlerErrorsEndAtTheClick() {
        fill(2);
        m_button->OnBeforePesq = [](QObject*, bool&) {
            throw EHostError(QStringLiteral("Servidor fora do ar."));
        };
        m_button->click();
        QCOMPARE(m_dialogs.errors(), QStringList{QStringLiteral("Servidor fora do ar.")});
        QVERIFY(m_dialogs.pickTitles.isEmpty());
    }

private:
    void fill(int rows) {
        ciap::DataPacket p;
        p.fields = {{QStringLiteral("CDEMPRESA"), ciap::FieldType::String, 2},
                    {QStringLiteral("NMEMPRESA"), ciap::FieldType::String, 40}};
        for (int i = 1; i <= rows; ++i)
            p.rows.append({QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')),
                           QStringLiteral("Empresa %1").arg(i)});
        m_ds->SetData(p);
    }

    RecordingDialogService m_dialogs;
    std::unique_ptr<TClientDataSet> m_ds;
    std::unique_ptr<TDataSource> m_source;
    std::unique_ptr<QLineEdit> m_edit;
    std::unique_ptr<TBtnPesquisa> m_button;
    QStringList m_log;
};

QTEST_MAIN(TestBtnPesquisa)
#include "tst_btnpesquisa.moc"
