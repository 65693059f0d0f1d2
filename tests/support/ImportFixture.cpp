#include "ImportFixture.h"

#include "DatabaseConfig.h"
#include "ImportEngine.h"
#include "Migrations.h"
#include "RegistryStore.h"
#include "Session.h"
#include "TransactionGuard.h"

using namespace ciap::server;

ImportFixture::ImportFixture() = default;
ImportFixture::~ImportFixture() {
    m_session.reset();
}

bool ImportFixture::start(QString* skipReason) {
    if (!db.create(skipReason))
        return false;
    m_config = DatabaseConfig::fromLocation(db.location());
    m_session = std::make_unique<Session>(*m_config, QStringLiteral("import-fixture"));
    return true;
}

void ImportFixture::reset() {
    db.reset();
    TransactionGuard tx(*m_session);
    RegistryStore(*m_session)
        .putRegistration({fixture::Company, samples::Registration, samples::Cnpj,
                          QStringLiteral("SP"), QStringLiteral("3509502")});
    tx.commit();
}

void ImportFixture::addCustomerRegistration() {
    TransactionGuard tx(*m_session);
    RegistryStore(*m_session)
        .putRegistration({fixture::Company, samples::CustomerRegistration, samples::CustomerCnpj,
                          QStringLiteral("SP"), QStringLiteral("3550308")});
    tx.commit();
}

ImportSource ImportFixture::source(const QString& name, const QByteArray& xml) {
    return {name, {}, xml};
}

ImportSummary ImportFixture::import(const QList<ImportSource>& sources,
                                    const ImportOptions& options) {
    ImportEngine engine(*m_session, options);
    return engine.run(sources);
}

ImportSummary ImportFixture::importSamples(const QStringList& names, const ImportOptions& options) {
    QList<ImportSource> sources;
    for (const QString& name : names)
        sources.append({name, samples::path(name), {}});
    return import(sources, options);
}

QStringList ImportFixture::snapshot() {
    QStringList out;
    for (const QString& table : Migrations::dataTables()) {
        if (table == QLatin1String("DOCIMPORTADO"))
            continue; // its rows carry the time of the import
        QStringList rows = db.rows(QStringLiteral("SELECT * FROM %1").arg(table));
        rows.sort();
        out << table << rows;
    }
    return out;
}
