#include "HostErrors.h"
#include "HostServices.h"
#include "RecordingDialogService.h"
#include "TDateEditPlus.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

class TestDateEditPlus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_dialogs.clear();
        DialogService::setInstance(&m_dialogs);
    }
    void cleanup() { DialogService::setInstance(nullptr); }

    void startsWithTodayInBlue() {
        TDateEditPlus edit;
        QCOMPARE(edit.GetDate(), QDate::currentDate());
        QCOMPARE(edit.Text(), QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
        QCOMPARE(edit.palette().color(QPalette::Text), QColor(Qt::blue));
        // Switched off, it looks it: grey, as the platform draws disabled text.
        QCOMPARE(edit.palette().color(QPalette::Disabled, QPalette::Text),
                 QApplication::palette().color(QPalette::Disabled, QPalette::Text));
        QCOMPARE(edit.DayNames, QStringList({"Domingo", "Segunda", "Terça", "Quarta", "Quinta",
                                             "Sexta", "Sábado"}));
    }

    void setDate() {
        TDateEditPlus edit;
        edit.SetDate(QDate(2024, 2, 29));
        QCOMPARE(edit.Text(), QStringLiteral("29/02/2024"));
        QCOMPARE(edit.GetDate(), QDate(2024, 2, 29));
        edit.SetDate(QDate());
        QCOMPARE(edit.Text(), QString());
        QVERIFY(EmptyString(edit.Text()));
        QVERIFY(!edit.GetDate().isValid());
        QVERIFY(edit.palette().color(QPalette::Text) != QColor(Qt::blue));
        edit.CheckValidDate(); // no date is not an invalid date
        QVERIFY(m_dialogs.entries.isEmpty());
    }

    void typing_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("error"); // from CheckValidDate; empty = accepted
        QTest::newRow("valid") << "15032024" << QDate(2024, 3, 15) << "";
        QTest::newRow("leap day") << "29022024" << QDate(2024, 2, 29) << "";
        QTest::newRow("no leap day")
            << "29022023" << QDate() << "'29/02/2023' não é uma data válida.";
        QTest::newRow("month 13") << "01132024" << QDate() << "'01/13/2024' não é uma data válida.";
        QTest::newRow("day 00") << "00012024" << QDate() << "'00/01/2024' não é uma data válida.";
        QTest::newRow("year cut short")
            << "010320" << QDate() << "'01/03/20' não é uma data válida.";
        QTest::newRow("nothing") << "" << QDate() << "";
        QTest::newRow("letters are not taken") << "ab" << QDate() << "";
    }
    void typing() {
        QFETCH(QString, keys);
        QFETCH(QDate, date);
        QFETCH(QString, error);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* edit = new TDateEditPlus(&window);
        auto* other = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        edit->SetDate(QDate());
        edit->setFocus();
        edit->home(false);
        QTest::keyClicks(edit, keys);
        QCOMPARE(edit->GetDate(), date);
        QCOMPARE(edit->palette().color(QPalette::Text) == QColor(Qt::blue), date.isValid());

        other->setFocus();
        bool aborted = false;
        try {
            edit->CheckValidDate();
        } catch (const EAbort&) {
            aborted = true;
        }
        QCOMPARE(aborted, !error.isEmpty());
        QCOMPARE(m_dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
        if (aborted)
            QTRY_VERIFY(edit->hasFocus()); // the user corrects it there
    }

private:
    RecordingDialogService m_dialogs;
};

QTEST_MAIN(TestDateEditPlus)
#include "tst_dateeditplus.moc"
