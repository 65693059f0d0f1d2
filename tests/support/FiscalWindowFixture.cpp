#include "FiscalWindowFixture.h"

#include "AssetRegisterWindow.h"
#include "DocumentImport.h"
#include "DtmDBGeral.h"
#include "FiscalServer.h"
#include "HostApplication.h"
#include "HostServices.h"
#include "SampleDocuments.h"
#include "TClientDataSet.h"

#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

bool FiscalWindowFixture::start() {
    if (!dir.isValid()) {
        error = QStringLiteral("no temporary directory");
        return false;
    }
    database = dir.filePath(QStringLiteral("ciap-%1.sqlite").arg(++run));
    DialogService::setInstance(&dialogs);
    dialogs.clear();
    if (!server.start(database)) {
        error = server.error();
        return false;
    }
    setWebServer(server.host(), server.port());
    dtmDBGeral().open(database);
    exec(QStringLiteral("INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES (?, 'MINHA EMPRESA')"),
         {Company});
    exec(QStringLiteral("INSERT INTO INSCESTA (CDEMPRESA, CDINSCESTA, NRCNPJ, SGUF, CDMUNICIPIO) "
                        "VALUES (?, ?, ?, 'SP', '3509502')"),
         {Company, samples::Registration, samples::Cnpj});
    return error.isEmpty();
}

bool FiscalWindowFixture::stop() {
    if (AssetRegisterWindow* w = AssetRegisterWindow::current()) {
        w->cdsAssets->CancelUpdates();
        delete HostApplication::windowOf(w);
    }
    dtmDBGeral().close();
    const bool stopped = server.stop();
    DialogService::setInstance(nullptr);
    return stopped;
}

AssetRegisterWindow* FiscalWindowFixture::openRegister() {
    AssetRegisterWindow* w = AssetRegisterWindow::open();
    w->companyEdit->setText(Company);
    w->registrationEdit->setText(samples::Registration);
    w->loadRegister();
    return w;
}

void FiscalWindowFixture::importSamples(const QStringList& names, bool assets) {
    FiscalServer connection;
    DocumentImport import(connection);
    import.assets = assets;
    QStringList paths;
    for (const QString& name : names)
        paths << samples::path(name);
    const DocumentImportSummary s = import.run(paths);
    if (s.imported + s.duplicates != names.size())
        qWarning("importSamples: %d of %d imported", s.imported, int(names.size()));
}

QVariant FiscalWindowFixture::scalar(const QString& sql, const QVariantList& values) {
    QSqlQuery q(dtmDBGeral().database());
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec() || !q.next()) {
        error = q.lastError().text();
        return {};
    }
    return q.value(0);
}

void FiscalWindowFixture::exec(const QString& sql, const QVariantList& values) {
    QSqlQuery q(dtmDBGeral().database());
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        error = q.lastError().text();
}
