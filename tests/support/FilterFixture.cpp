#include "FilterFixture.h"

#include "DtmDBGeral.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QJsonArray>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>

bool FilterFixture::sql(const QString& statement) {
    QSqlQuery q(dtmDBGeral().database());
    if (q.exec(statement))
        return true;
    error = q.lastError().text();
    return false;
}

bool FilterFixture::start() {
    if (!dir.isValid()) {
        error = QStringLiteral("no temporary directory");
        return false;
    }
    dtmDBGeral().open(dir.filePath(QStringLiteral("host.sqlite")));
    const bool registers =
        sql(QStringLiteral("CREATE TABLE EMPRESA (CDEMPRESA VARCHAR(2) PRIMARY KEY,"
                           " NMEMPRESA VARCHAR(40))")) &&
        sql(QStringLiteral("CREATE TABLE IMPOSTO (CDIMPOSTO VARCHAR(2) PRIMARY KEY,"
                           " NMIMPOSTO VARCHAR(30))")) &&
        sql(QStringLiteral("INSERT INTO EMPRESA VALUES ('%1', 'INDÚSTRIA UM LTDA'),"
                           " ('%2', 'COMÉRCIO DOIS S.A.')")
                .arg(fixture::Company, fixture::OtherCompany)) &&
        sql(QStringLiteral("INSERT INTO IMPOSTO VALUES ('%1', 'ICMS'), ('%2', 'ICMS INTEGRAL')")
                .arg(fixture::Tax, fixture::WholeTax));
    return registers && ScreenFixture::start(Window::Active);
}

void FilterFixture::stop() {
    ScreenFixture::stop();
    dtmDBGeral().close();
}

void FilterFixture::defaultAnswers() {
    server.clear();
    server.setDefault(QStringLiteral("getCIAP"), competencias(2));
    server.setDefault(QStringLiteral("getVerificaImposto"), QJsonArray{QStringLiteral("01")});
    server.setDefault(QStringLiteral("getInscEsta"), registrations({}));
}

bool FilterFixture::reset() {
    // A row left in edit keeps the filter panel disabled.
    const DataSetState state = form->cdsCIAP->State();
    if (state == DataSetState::Edit || state == DataSetState::Insert)
        runGuarded([this] { form->cdsCIAP->Cancel(); });
    defaultAnswers();
    fillFilter({}, {}, Jan, Mar);
    form->dtsPadrao->SetDataSet(nullptr);
    SetChildEnabled(form->panEmpresa, true);
    enterPanel();
    dialogs.clear();
    defaultAnswers();
    if (QApplication::focusWidget() != form->edtCdEmpresa) {
        error = QStringLiteral("the company code does not take the focus");
        return false;
    }
    return true;
}

void FilterFixture::fillFilter(const QString& company, const QString& tax, const QDate& start,
                               const QDate& end, const QString& registration) {
    form->edtCdEmpresa->setText(company);
    form->edtCdImposto->setText(tax);
    form->depInicial->SetDate(start);
    form->depFinal->SetDate(end);
    form->dbeInscEsta->setText(registration);
}

void FilterFixture::enterPanel() {
    form->edtCdEmpresa->setFocus();
}

void FilterFixture::leavePanel() {
    form->dbgPadrao->setFocus();
}

bool FilterFixture::commit() {
    fillFilter(fixture::Company, fixture::Tax, Jan, Mar);
    leavePanel();
    return form->dtsPadrao->DataSet() == form->cdsCIAP && form->cdsCIAP->Active();
}

QList<bool> FilterFixture::visibleColumns() const {
    QList<bool> out;
    for (int c = 0; c < form->dbgPadrao->ColumnCount(); ++c)
        out.append(form->dbgPadrao->ColumnVisible(c));
    return out;
}

QJsonValue FilterFixture::registrations(const QStringList& codes) {
    QList<QVariantList> rows;
    for (const QString& c : codes)
        rows.append({c});
    return ScriptedServer::packet({{QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16}},
                                  rows);
}

QJsonValue FilterFixture::competencias(int count) {
    const QList<ciap::FieldDef> fields{
        {QStringLiteral("COMPETENCIA"), ciap::FieldType::String, 7},
        {QStringLiteral("IDSITCOMPETCIAP"), ciap::FieldType::String, 1},
        {QStringLiteral("LOCATE"), ciap::FieldType::String, 11},
        {QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16},
        {QStringLiteral("ITEMEXISTE"), ciap::FieldType::Float, 0}};
    QList<QVariantList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QStringLiteral("%1/2024").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("P"),
                     QStringLiteral("C%1").arg(i, 10, 10, QLatin1Char('0')),
                     QStringLiteral("110042490114"), 0.0});
    return ScriptedServer::packet(fields, rows);
}
