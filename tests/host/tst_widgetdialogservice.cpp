#include "RecordingDialogService.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "WidgetDialogService.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Acts on the modal window as soon as it is up (the service runs it with exec()).
void whenModal(const std::function<void(QWidget*)>& act) {
    QTimer::singleShot(10, qApp, [act] {
        if (QWidget* w = QApplication::activeModalWidget())
            act(w);
        else
            whenModal(act);
    });
}

ciap::DataPacket companies(int rows) {
    ciap::DataPacket p;
    p.fields = {{QStringLiteral("CDEMPRESA"), ciap::FieldType::String, 2},
                {QStringLiteral("NMEMPRESA"), ciap::FieldType::String, 40}};
    for (int i = 1; i <= rows; ++i)
        p.rows.append({QStringLiteral("0%1").arg(i), QStringLiteral("Empresa %1").arg(i)});
    return p;
}

} // namespace

class TestWidgetDialogService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QApplication::setApplicationDisplayName(QStringLiteral("CIAP")); }
    void cleanup() { DialogService::setInstance(nullptr); }

    void emptyListShowsTheTextAfterTheBar() {
        RecordingDialogService recording;
        DialogService::setInstance(&recording);
        WidgetDialogService widgets;
        TClientDataSet ds;
        TDataSource source;
        source.SetDataSet(&ds);
        // closed, then open and empty
        QVERIFY(!widgets.pick(QStringLiteral("inscrição Estadual|Não há Incrição Estadual "
                                             "cadastrada"),
                              &source));
        ds.SetData(companies(0));
        QVERIFY(!widgets.pick(QStringLiteral("Empresa|Não há Empresa"), &source));
        QVERIFY(!widgets.pick(QStringLiteral("Sem texto"), &source));
        QVERIFY(!widgets.pick(QStringLiteral("Sem fonte|nada"), nullptr));
        QCOMPARE(recording.texts(),
                 QStringList({"Não há Incrição Estadual cadastrada", "Não há Empresa", "nada"}));
        for (const auto& e : recording.entries)
            QCOMPARE(e.kind, DialogKind::Information);
    }

    void pickMakesTheChosenRowCurrent_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("recNo");
        QTest::newRow("ok on the third") << 2 << true << 3;
        QTest::newRow("ok on the first") << 0 << true << 1;
        QTest::newRow("cancel") << 2 << false << 2;
    }
    void pickMakesTheChosenRowCurrent() {
        QFETCH(int, row);
        QFETCH(bool, accept);
        QFETCH(int, recNo);
        WidgetDialogService widgets;
        TClientDataSet ds;
        ds.SetData(companies(4));
        ds.SetRecNo(2);
        TDataSource source;
        source.SetDataSet(&ds);
        QString title;
        int shownRows = -1;
        int startRow = -1;
        whenModal([&](QWidget* w) {
            auto* dialog = qobject_cast<QDialog*>(w);
            QVERIFY(dialog);
            title = dialog->windowTitle();
            auto* view = dialog->findChild<QTableView*>();
            shownRows = view->model()->rowCount();
            startRow = view->currentIndex().row();
            view->setCurrentIndex(view->model()->index(row, 1));
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        QCOMPARE(widgets.pick(QStringLiteral("Empresa|Não há Empresa cadastrada"), &source),
                 accept);
        QCOMPARE(title, QStringLiteral("Empresa"));
        QCOMPARE(shownRows, 4);
        QCOMPARE(startRow, 1); // opens on the current row
        QCOMPARE(ds.RecNo(), recNo);
    }

    void doubleClickPicks() {
        WidgetDialogService widgets;
        TClientDataSet ds;
        ds.SetData(companies(3));
        TDataSource source;
        source.SetDataSet(&ds);
        whenModal([](QWidget* w) {
            auto* view = w->findChild<QTableView*>();
            const QModelIndex index = view->model()->index(1, 0);
            view->setCurrentIndex(index);
            Q_EMIT view->doubleClicked(index);
        });
        QVERIFY(widgets.pick(QStringLiteral("Empresa"), &source));
        QCOMPARE(ds.FieldByName(QStringLiteral("CDEMPRESA"))->AsString(), QStringLiteral("02"));
    }

    void questions_data() {
        QTest::addColumn<int>("action"); // 0 Yes, 1 No, 2 Escape
        QTest::addColumn<DialogAnswer>("answer");
        QTest::newRow("yes") << 0 << DialogAnswer::Yes;
        QTest::newRow("no") << 1 << DialogAnswer::No;
        QTest::newRow("escape") << 2 << DialogAnswer::Cancel;
    }
    void questions() {
        QFETCH(int, action);
        QFETCH(DialogAnswer, answer);
        WidgetDialogService widgets;
        QString title;
        QString text;
        whenModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            if (action == 0)
                box->button(QMessageBox::Yes)->click();
            else if (action == 1)
                box->button(QMessageBox::No)->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(
            widgets.askYesNo(DialogKind::Confirmation, QStringLiteral("Confirmar apropriação?")),
            answer);
        QCOMPARE(title, QStringLiteral("CIAP"));
        QCOMPARE(text, QStringLiteral("Confirmar apropriação?"));
    }

    void messagesHaveOneButton() {
        WidgetDialogService widgets;
        int buttons = 0;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            buttons = box->buttons().size();
            icon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        widgets.showMessage(DialogKind::Error, QStringLiteral("Empresa não cadastrada."));
        QCOMPARE(buttons, 1);
        QCOMPARE(icon, QMessageBox::Critical);
    }
};

QTEST_MAIN(TestWidgetDialogService)
#include "tst_widgetdialogservice.moc"
