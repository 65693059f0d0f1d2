#include "FilterFixture.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TMainMenu.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QJsonArray>
#include <QLineEdit>
#include <QTest>

// The header and the list agree whatever else takes the focus: the focus a failing check
// chose survives a window manager handing it back, a menu is not the user entering the
// panel, and a value picked into the header while the list is loaded commits it again.
class tst_HeaderFocus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_fx.start(), qPrintable(m_fx.error)); }
    void cleanupTestCase() { m_fx.stop(); }
    void init() { QVERIFY2(m_fx.reset(), qPrintable(m_fx.error)); }

    void focusComesBackToTheFailingField_data();
    void focusComesBackToTheFailingField();
    void menusAreNotThePanel();
    void pickUnderALoadedList_data();
    void pickUnderALoadedList();

private:
    FilterFixture m_fx;
};

void tst_HeaderFocus::focusComesBackToTheFailingField_data() {
    QTest::addColumn<int>("reason");
    QTest::newRow("window manager") << int(Qt::ActiveWindowFocusReason);
    QTest::newRow("popup closed") << int(Qt::PopupFocusReason);
    QTest::newRow("menu bar left") << int(Qt::MenuBarFocusReason);
}

void tst_HeaderFocus::focusComesBackToTheFailingField() {
    QFETCH(int, reason);
    m_fx.fillFilter({}, fixture::Tax, FilterFixture::Jan, FilterFixture::Mar);
    m_fx.form->dbeInscEsta->setFocus();
    m_fx.leavePanel();
    QCOMPARE(m_fx.dialogs.errors(), QStringList{"Empresa deve ser informada."});
    QCOMPARE(QApplication::focusWidget(), m_fx.form->edtCdEmpresa);

    // What a window manager does when the message closes: the focus handed to the window
    // lands on another control.
    m_fx.form->depInicial->setFocus(Qt::FocusReason(reason));
    QCOMPARE(QApplication::focusWidget(), m_fx.form->edtCdEmpresa);
    QCOMPARE(m_fx.dialogs.entries.size(), 1);
    QCOMPARE(m_fx.server.callCount(), 0);
    // The user's own moves still count.
    m_fx.form->depInicial->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), m_fx.form->depInicial);
}

void tst_HeaderFocus::menusAreNotThePanel() {
    m_fx.form->dbeInscEsta->setFocus();
    // The screen's menu bar used from a filter field: not leaving the panel.
    m_fx.form->mnuMenu->setFocus(Qt::MenuBarFocusReason);
    QCOMPARE(m_fx.server.callCount(), 0);
    m_fx.form->dbeInscEsta->setFocus(Qt::MenuBarFocusReason);
    QVERIFY(m_fx.commit());
    QCOMPARE(QApplication::focusWidget(), m_fx.form->dbgPadrao);

    // A menu taking the focus and giving it back elsewhere: the list stays.
    m_fx.form->mnuMenu->setFocus(Qt::MenuBarFocusReason);
    m_fx.form->edtCdEmpresa->setFocus(Qt::PopupFocusReason);
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsCIAP);
    QVERIFY(m_fx.form->cdsCIAP->Active());
    QCOMPARE(QApplication::focusWidget(), m_fx.form->dbgPadrao);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

void tst_HeaderFocus::pickUnderALoadedList_data() {
    QTest::addColumn<QString>("registration");
    QTest::addColumn<QStringList>("known"); // registrations of the other company
    QTest::addColumn<QString>("error");
    QTest::newRow("all registrations") << QString() << QStringList() << QString();
    QTest::newRow("registration of the new company") << "220" << QStringList{"220"} << QString();
    QTest::newRow("registration of the old company only")
        << "110" << QStringList() << "Inscrição Estadual não cadastrada";
}

void tst_HeaderFocus::pickUnderALoadedList() {
    QFETCH(QString, registration);
    QFETCH(QStringList, known);
    QFETCH(QString, error);
    m_fx.server.setDefault(QStringLiteral("getInscEsta"), FilterFixture::registrations(known));
    m_fx.fillFilter(fixture::Company, fixture::Tax, FilterFixture::Jan, FilterFixture::Mar,
                    registration);
    m_fx.leavePanel();
    QVERIFY(m_fx.form->cdsCIAP->Active());
    m_fx.server.clear();
    m_fx.server.setDefault(QStringLiteral("getInscEsta"), FilterFixture::registrations(known));
    m_fx.server.setDefault(QStringLiteral("getCIAP"), FilterFixture::competencias(1));
    m_fx.server.setDefault(QStringLiteral("getVerificaImposto"), QJsonArray{"01"});

    m_fx.dialogs.enqueuePick(1); // the other company
    m_fx.form->btpEmpresa->click();
    QCOMPARE(m_fx.form->edtCdEmpresa->text(), fixture::OtherCompany);
    if (error.isEmpty()) {
        QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(m_fx.dialogs.texts().join('|')));
        const auto loads = m_fx.server.callsTo(QStringLiteral("getCIAP"));
        QCOMPARE(loads.size(), 1);
        QVERIFY(loads.first().params.contains(QJsonValue(fixture::OtherCompany)));
        QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsCIAP);
        QCOMPARE(m_fx.form->cdsCIAP->RecordCount(), 1);
    } else {
        // The list no longer describes the header: closed, with nothing to act on.
        QVERIFY(m_fx.dialogs.errors().join('|').startsWith(error));
        QVERIFY(!m_fx.form->dtsPadrao->DataSet());
        QVERIFY(!m_fx.form->cdsCIAP->Active());
        QVERIFY(!m_fx.form->sbtIncluir->isEnabled());
        QCOMPARE(m_fx.server.callsTo(QStringLiteral("getCIAP")).size(), 0);
    }
}

QTEST_MAIN(tst_HeaderFocus)
#include "tst_headerfocus.moc"
