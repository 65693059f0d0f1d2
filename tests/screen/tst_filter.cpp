#include "Cli_mzr02400.h"
#include "FilterFixture.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QJsonArray>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

// The filter header's fields: what may be typed into the codes, and the check of each field
// as the user leaves it (codes against the registers, period, state registration in the filter
// and in the list).
class tst_Filter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_fx.start(), qPrintable(m_fx.error)); }
    void cleanupTestCase() { m_fx.stop(); }
    void init() { QVERIFY2(m_fx.reset(), qPrintable(m_fx.error)); }

    void typingIntoCodes_data();
    void typingIntoCodes();
    void keyPressHandlers_data();
    void keyPressHandlers();
    void leavingCodeField_data();
    void leavingCodeField();
    void registerFailureFocusesCode();
    void period_data();
    void period();
    void registrationInFilter_data();
    void registrationInFilter();
    void registrationInGrid_data();
    void registrationInGrid();

private:
    FilterFixture m_fx;
};

void tst_Filter::typingIntoCodes_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    for (const char* edit : {"edtCdEmpresa", "edtCdImposto"}) {
        const QByteArray e(edit);
        QTest::newRow((e + ": digits").constData()) << edit << "12"
                                                    << "12";
        QTest::newRow((e + ": letter, minus and blank dropped").constData()) << edit << "a-1 b"
                                                                             << "1";
        QTest::newRow((e + ": no third character").constData()) << edit << "123"
                                                                << "12";
        QTest::newRow((e + ": backspace passes").constData()) << edit << "1\b3"
                                                              << "3";
        QTest::newRow((e + ": other scripts' digits dropped").constData()) << edit << "\u0661\u0967"
                                                                           << "";
    }
}

void tst_Filter::typingIntoCodes() {
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    auto* target = m_fx.form->findChild<QLineEdit*>(edit);
    QVERIFY(target);
    target->setFocus();
    target->clear();
    for (const QChar c : typed) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(target, Qt::Key_Backspace);
        else
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QCOMPARE(target->text(), expected);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

void tst_Filter::keyPressHandlers_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("passes");

    QTest::newRow("backspace") << 8 << true;
    QTest::newRow("tab") << 9 << true;
    QTest::newRow("carriage return") << 13 << true;
    QTest::newRow("0") << int('0') << true;
    QTest::newRow("9") << int('9') << true;
    QTest::newRow("letter") << int('a') << false;
    QTest::newRow("minus") << int('-') << false;
    QTest::newRow("blank") << int(' ') << false;
    QTest::newRow("escape") << 27 << false;
    QTest::newRow("line feed") << 10 << false;
    QTest::newRow("superscript two") << 0xb2 << false;
}

void tst_Filter::keyPressHandlers() {
    QFETCH(int, key);
    QFETCH(bool, passes);

    const QChar typed{char16_t(key)};
    QChar company = typed;
    m_fx.form->edtCdEmpresaKeyPress(m_fx.form->edtCdEmpresa, company);
    QChar tax = typed;
    m_fx.form->edtCdImpostoKeyPress(m_fx.form->edtCdImposto, tax);
    QCOMPARE(company, passes ? typed : QChar());
    QCOMPARE(tax, passes ? typed : QChar());
}

// ---- Single fields

void tst_Filter::leavingCodeField_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");

    QTest::newRow("company empty: nothing") << "edtCdEmpresa"
                                            << ""
                                            << ""
                                            << ""
                                            << "";
    QTest::newRow("company one digit adjusted") << "edtCdEmpresa"
                                                << "3" << fixture::Company << "INDÚSTRIA UM LTDA"
                                                << "";
    QTest::newRow("company two digits")
        << "edtCdEmpresa" << fixture::OtherCompany << fixture::OtherCompany << "COMÉRCIO DOIS S.A."
        << "";
    QTest::newRow("a tax's code as company") << "edtCdEmpresa"
                                             << "7"
                                             << "07"
                                             << ""
                                             << "Empresa não cadastrada.";
    QTest::newRow("tax empty: nothing") << "edtCdImposto"
                                        << ""
                                        << ""
                                        << ""
                                        << "";
    QTest::newRow("tax one digit adjusted") << "edtCdImposto"
                                            << "8" << fixture::WholeTax << "ICMS INTEGRAL"
                                            << "";
    QTest::newRow("tax unregistered") << "edtCdImposto"
                                      << "99"
                                      << "99"
                                      << ""
                                      << "Imposto não cadastrado.";
}

void tst_Filter::leavingCodeField() {
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, error);

    const bool company = edit == QLatin1String("edtCdEmpresa");
    QLineEdit* codeEdit = company ? m_fx.form->edtCdEmpresa : m_fx.form->edtCdImposto;
    QLineEdit* nameEdit = company ? m_fx.form->edtNmEmpresa : m_fx.form->edtNmImposto;
    codeEdit->setFocus();
    codeEdit->setText(typed);
    // Another control of the panel: only the field's own exit runs.
    m_fx.form->depFinal->setFocus();

    QCOMPARE(codeEdit->text(), code);
    QCOMPARE(nameEdit->text(), name);
    QCOMPARE(m_fx.dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(QApplication::focusWidget(),
             error.isEmpty() ? static_cast<QWidget*>(m_fx.form->depFinal) : codeEdit);
    QCOMPARE(m_fx.server.callCount(), 0);
}

void tst_Filter::registerFailureFocusesCode() {
    // A name shown from an earlier check, then the register cannot be read: the database's
    // text reaches the user, the focus goes back to the code and no stale name stays.
    m_fx.form->edtCdEmpresa->setText(fixture::Company);
    m_fx.form->depFinal->setFocus();
    QCOMPARE(m_fx.form->edtNmEmpresa->text(), QStringLiteral("INDÚSTRIA UM LTDA"));

    QVERIFY2(m_fx.sql(QStringLiteral("ALTER TABLE EMPRESA RENAME TO EMPRESA_OFF")),
             qPrintable(m_fx.error));
    const bool ok = runGuarded([this] { m_fx.form->VD_EMPRESA(false); });
    QVERIFY2(m_fx.sql(QStringLiteral("ALTER TABLE EMPRESA_OFF RENAME TO EMPRESA")),
             qPrintable(m_fx.error));

    QVERIFY(!ok);
    QCOMPARE(m_fx.dialogs.errors().size(), 1);
    QVERIFY2(m_fx.dialogs.errors().constFirst().contains(QLatin1String("EMPRESA")),
             qPrintable(m_fx.dialogs.errors().constFirst()));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_fx.form->edtCdEmpresa));
    QCOMPARE(m_fx.form->edtNmEmpresa->text(), QString());
}

void tst_Filter::period_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("focus");

    QTest::newRow("equal dates pass") << "01/03/2024"
                                      << "01/03/2024"
                                      << ""
                                      << "";
    QTest::newRow("start before end") << "01/01/2024"
                                      << "01/03/2024"
                                      << ""
                                      << "";
    QTest::newRow("end one day before start")
        << "01/03/2024"
        << "29/02/2024"
        << "Data inicial deve ser menor ou igual a data final."
        << "depInicial";
    QTest::newRow("start empty") << ""
                                 << "01/03/2024"
                                 << "Data inicial deve ser informada."
                                 << "depInicial";
    QTest::newRow("end empty") << "01/03/2024"
                               << ""
                               << "Data final deve ser informada."
                               << "depFinal";
    QTest::newRow("both empty: start first") << ""
                                             << ""
                                             << "Data inicial deve ser informada."
                                             << "depInicial";
    QTest::newRow("end not a date") << "01/03/2024"
                                    << "31/02/2024"
                                    << "'31/02/2024' não é uma data válida."
                                    << "depFinal";
}

void tst_Filter::period() {
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, error);
    QFETCH(QString, focus);

    m_fx.form->depInicial->setText(start);
    m_fx.form->depFinal->setText(end);
    m_fx.form->dbeInscEsta->setFocus();
    const bool ok = runGuarded([this] { m_fx.form->VD_PERIODO(); });

    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(m_fx.dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(QApplication::focusWidget()->objectName(),
             focus.isEmpty() ? QStringLiteral("dbeInscEsta") : focus);
}

void tst_Filter::registrationInFilter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<bool>("called");
    QTest::addColumn<QString>("error");

    QTest::newRow("empty: all registrations, no call") << "" << QStringList() << false << "";
    QTest::newRow("blanks count as empty") << "   " << QStringList() << false << "";
    QTest::newRow("registered") << "110042490114" << QStringList{"110042490114"} << true << "";
    QTest::newRow("not registered for the company")
        << "999" << QStringList() << true << "Inscrição Estadual não cadastrada";
}

void tst_Filter::registrationInFilter() {
    QFETCH(QString, typed);
    QFETCH(QStringList, answer);
    QFETCH(bool, called);
    QFETCH(QString, error);

    m_fx.form->edtCdEmpresa->setText(fixture::Company);
    m_fx.form->dbeInscEsta->setFocus();
    m_fx.form->dbeInscEsta->setText(typed);
    m_fx.server.enqueueResult(QStringLiteral("getInscEsta"), m_fx.registrations(answer));
    m_fx.form->depFinal->setFocus();

    const QList<ScriptedServer::Call> calls = m_fx.server.callsTo(QStringLiteral("getInscEsta"));
    QCOMPARE(calls.size(), called ? 1 : 0);
    if (called)
        QCOMPARE(calls.constFirst().params, (QJsonArray{fixture::Company, "", typed}));
    QCOMPARE(m_fx.dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(QApplication::focusWidget(),
             error.isEmpty() ? static_cast<QWidget*>(m_fx.form->depFinal) : m_fx.form->dbeInscEsta);
    QCOMPARE(m_fx.form->dbeInscEsta->text(), typed);
}

void tst_Filter::registrationInGrid_data() {
    QTest::addColumn<bool>("editing");
    QTest::addColumn<bool>("required");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("stored");

    QTest::newRow("empty, not required: nothing") << true << false << "" << QStringList() << ""
                                                  << "";
    QTest::newRow("empty, required")
        << true << true << "" << QStringList() << "Inscrição Estadual deve ser informada."
        << "";
    QTest::newRow("not registered")
        << true << false << "x1" << QStringList() << "Inscrição Estadual não cadastrada"
        << "x1";
    QTest::newRow("respelled while editing") << true << true << "ie-a" << QStringList{"IE-A"} << ""
                                             << "IE-A";
    QTest::newRow("left alone while browsing")
        << false << false << "ie-a" << QStringList{"IE-A"} << ""
        << "ie-a";
}

void tst_Filter::registrationInGrid() {
    QFETCH(bool, editing);
    QFETCH(bool, required);
    QFETCH(QString, value);
    QFETCH(QStringList, answer);
    QFETCH(QString, error);
    QFETCH(QString, stored);

    QList<QVariantList> rows{{QStringLiteral("01/2024"), QStringLiteral("P"), value}};
    m_fx.server.setDefault(
        QStringLiteral("getCIAP"),
        ScriptedServer::packet({{QStringLiteral("COMPETENCIA"), ciap::FieldType::String, 7},
                                {QStringLiteral("IDSITCOMPETCIAP"), ciap::FieldType::String, 1},
                                {QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16}},
                               rows));
    QVERIFY(m_fx.commit());
    m_fx.dialogs.clear();
    m_fx.server.clear();
    m_fx.server.setDefault(QStringLiteral("getCIAP"), m_fx.competencias(1));
    m_fx.server.enqueueResult(QStringLiteral("getInscEsta"), m_fx.registrations(answer));
    m_fx.form->dbgPadrao->SetSelectedIndex(0);
    if (editing)
        m_fx.form->cdsCIAP->Edit();

    const bool ok = runGuarded([&] { m_fx.form->VD_CDINSCESTA(required, QStringLiteral("GRID")); });

    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(m_fx.dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(m_fx.form->cdsCIAPCDINSCESTA->AsString(), stored);
    const QList<ScriptedServer::Call> calls = m_fx.server.callsTo(QStringLiteral("getInscEsta"));
    QCOMPARE(calls.size(), value.isEmpty() ? 0 : 1);
    if (!value.isEmpty())
        QCOMPARE(calls.constFirst().params, (QJsonArray{fixture::Company, "", value}));
    if (!error.isEmpty()) {
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_fx.form->dbgPadrao));
        QCOMPARE(m_fx.form->dbgPadrao->SelectedField(), m_fx.form->cdsCIAPCDINSCESTA);
    }
}

QTEST_MAIN(tst_Filter)
#include "tst_filter.moc"
