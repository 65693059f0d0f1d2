#include "Cli_mzr02400.h"
#include "HostApplication.h"
#include "HostServices.h"
#include "LiveScreenFixture.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

// The filter header of the real screen against the real server and its demo data, as a user
// goes through it: company, tax and period typed, the panel left, the months listed with their
// situations; then a tax of kind "50", which hides the outgoing values and the coefficient.
//
// With CIAP_SCREENSHOT_DIR set, the screen of the second state is saved there as
// filter-kind50.png.
class tst_E2EFilter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void monthsListedWithSituations();
    void kind50HidesValueColumns();
    void unregisteredCompanyStopsTheCommit();

private:
    void typeDate(TDateEditPlus* edit, const QDate& date);
    void leavePanel();
    QStringList listedRows() const;
    QList<bool> visibleColumns() const;
    static QString month(int monthsAgo);

    LiveScreenFixture m_fx;
};

namespace {
const QString RegistrationA = QStringLiteral("110042490114");
const QString RegistrationB = QStringLiteral("110042490122");
} // namespace

QString tst_E2EFilter::month(int monthsAgo) {
    return PriDiaMes(QDate::currentDate())
        .addMonths(-monthsAgo)
        .toString(QStringLiteral("MM/yyyy"));
}

void tst_E2EFilter::initTestCase() {
    QVERIFY2(m_fx.start(), qPrintable(m_fx.error));
    QVERIFY(m_fx.openScreen());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(frmCIAP->edtCdEmpresa));
}

void tst_E2EFilter::cleanupTestCase() {
    QVERIFY(m_fx.stop());
}

void tst_E2EFilter::typeDate(TDateEditPlus* edit, const QDate& date) {
    QTest::mouseClick(edit, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(edit));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    edit->home(false);
    QTest::keyClicks(edit, date.toString(QStringLiteral("ddMMyyyy")));
    QCOMPARE(edit->GetDate(), date);
}

// A click into the list, outside the filter panel.
void tst_E2EFilter::leavePanel() {
    QTest::mouseClick(frmCIAP->dbgPadrao->viewport(), Qt::LeftButton, {}, QPoint(12, 8));
}

// "month | situation as shown | registration", from the grid as the user reads it.
QStringList tst_E2EFilter::listedRows() const {
    const TDBGrid* grid = frmCIAP->dbgPadrao;
    const QAbstractItemModel* model = grid->model();
    int month = -1, situation = -1, registration = -1;
    for (int c = 0; c < grid->ColumnCount(); ++c) {
        if (grid->ColumnFieldName(c) == QLatin1String("COMPETENCIA"))
            month = c;
        else if (grid->ColumnFieldName(c) == QLatin1String("IDSITCOMPETCIAP"))
            situation = c;
        else if (grid->ColumnFieldName(c) == QLatin1String("CDINSCESTA"))
            registration = c;
    }
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r) {
        const auto cell = [&](int c) { return model->index(r, c).data().toString(); };
        out.append(cell(month) + QStringLiteral(" | ") + cell(situation) + QStringLiteral(" | ") +
                   cell(registration));
    }
    return out;
}

QList<bool> tst_E2EFilter::visibleColumns() const {
    QList<bool> out;
    for (int c = 0; c < frmCIAP->dbgPadrao->ColumnCount(); ++c)
        out.append(!frmCIAP->dbgPadrao->isColumnHidden(c));
    return out;
}

void tst_E2EFilter::monthsListedWithSituations() {
    TfrmCIAP* f = frmCIAP;
    QTest::keyClicks(f->edtCdEmpresa, QStringLiteral("1"));
    QTest::keyClick(f->edtCdEmpresa, Qt::Key_Tab);
    QCOMPARE(f->edtCdEmpresa->text(), QStringLiteral("01"));
    QCOMPARE(f->edtNmEmpresa->text(), QStringLiteral("INDÚSTRIA DEMONSTRAÇÃO LTDA"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->edtCdImposto));
    QTest::keyClicks(f->edtCdImposto, QStringLiteral("1"));
    QTest::keyClick(f->edtCdImposto, Qt::Key_Tab);
    QCOMPARE(f->edtCdImposto->text(), QStringLiteral("01"));
    QCOMPARE(f->edtNmImposto->text(), QStringLiteral("ICMS"));
    typeDate(f->depInicial, PriDiaMes(QDate::currentDate()).addMonths(-6));
    typeDate(f->depFinal, PriDiaMes(QDate::currentDate()));
    QVERIFY(!f->cdsCIAP->Active());

    leavePanel();

    QVERIFY2(m_fx.dialogs.entries.isEmpty(),
             qPrintable(m_fx.dialogs.texts().join(QLatin1Char('\n'))));
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(f->dtsPadrao->DataSet(), f->cdsCIAP);
    const QString a = QStringLiteral("Apropriado");
    const QString p = QStringLiteral("Pendente");
    QCOMPARE(listedRows(), (QStringList{month(3) + " | " + a + " | " + RegistrationA,
                                        month(2) + " | " + p + " | " + RegistrationA,
                                        month(1) + " | " + p + " | " + RegistrationA,
                                        month(1) + " | " + p + " | " + RegistrationB}));
    QCOMPARE(oleImposto.toList().value(0).toString(), QStringLiteral("01"));
    QCOMPARE(visibleColumns(), QList<bool>(8, true));
    // The first row is current: an appropriated month may only have its appropriation
    // cancelled.
    QVERIFY(f->btnCancelar->isEnabled());
    QVERIFY(!f->sbtOK->isEnabled());
}

void tst_E2EFilter::kind50HidesValueColumns() {
    TfrmCIAP* f = frmCIAP;
    QTest::mouseClick(f->edtCdImposto, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->edtCdImposto));
    // Back in the filter: the list is closed until the next commit.
    QVERIFY(!f->cdsCIAP->Active());
    QVERIFY(!f->dtsPadrao->DataSet());
    f->edtCdImposto->selectAll();
    QTest::keyClicks(f->edtCdImposto, QStringLiteral("2"));
    QCOMPARE(f->edtNmImposto->text(), QString());

    leavePanel();

    QVERIFY2(m_fx.dialogs.entries.isEmpty(),
             qPrintable(m_fx.dialogs.texts().join(QLatin1Char('\n'))));
    QCOMPARE(f->edtCdImposto->text(), QStringLiteral("02"));
    QCOMPARE(f->edtNmImposto->text(), QStringLiteral("ICMS - CRÉDITO INTEGRAL"));
    QCOMPARE(oleImposto.toList().value(0).toString(), QStringLiteral("50"));
    QCOMPARE(visibleColumns(), (QList<bool>{true, true, false, false, false, true, true, true}));
    QCOMPARE(listedRows(), QStringList{month(1) + " | Pendente | " + RegistrationA});

    QApplication::processEvents();
    const QImage shot = HostApplication::windowOf(f)->grab().toImage();
    QVERIFY(!shot.isNull());
    const QString dir = qEnvironmentVariable("CIAP_SCREENSHOT_DIR", m_fx.dir.path());
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(shot.save(QDir(dir).filePath(QStringLiteral("filter-kind50.png"))));
}

void tst_E2EFilter::unregisteredCompanyStopsTheCommit() {
    TfrmCIAP* f = frmCIAP;
    QTest::mouseClick(f->edtCdEmpresa, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->edtCdEmpresa));
    f->edtCdEmpresa->selectAll();
    QTest::keyClicks(f->edtCdEmpresa, QStringLiteral("9"));

    leavePanel();

    QCOMPARE(m_fx.dialogs.errors(), QStringList{"Empresa não cadastrada."});
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->edtCdEmpresa));
    QCOMPARE(f->edtCdEmpresa->text(), QStringLiteral("09"));
    QCOMPARE(f->edtNmEmpresa->text(), QString());
    QVERIFY(!f->cdsCIAP->Active());
    QVERIFY(!f->dtsPadrao->DataSet());
    // The value columns stay as the last commit left them.
    QCOMPARE(visibleColumns(), (QList<bool>{true, true, false, false, false, true, true, true}));
}

QTEST_MAIN(tst_E2EFilter)
#include "tst_e2e_filter.moc"
