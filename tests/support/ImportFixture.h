#pragma once

#include "ImportTypes.h"
#include "SampleDocuments.h"
#include "TestDatabase.h"

#include <memory>

namespace ciap::server {
class DatabaseConfig;
class Session;
} // namespace ciap::server

// The importer on a fresh database of the backend the suite runs for: TestDatabase's rows,
// and the sample company as fixture::Company's registration samples::Registration (SP,
// Campinas). Documents go in as bytes, named as files would be.
class ImportFixture final {
public:
    ImportFixture();
    ~ImportFixture();

    bool start(QString* skipReason);
    void reset();

    ciap::server::ImportSummary import(const QList<ciap::server::ImportSource>& sources,
                                       const ciap::server::ImportOptions& options = {});
    ciap::server::ImportSummary importSamples(const QStringList& names,
                                              const ciap::server::ImportOptions& options = {});
    static ciap::server::ImportSource source(const QString& name, const QByteArray& xml);
    // A second registration of fixture::Company for the sample's customer.
    void addCustomerRegistration();

    QStringList rows(const QString& sql, const QVariantList& values = {}) {
        return db.rows(sql, values);
    }
    QVariant scalar(const QString& sql, const QVariantList& values = {}) {
        return db.scalar(sql, values);
    }
    // Every row of the tables an import writes, to tell that nothing changed.
    QStringList snapshot();
    ciap::server::Session& session() { return *m_session; }

    TestDatabase db;

private:
    std::unique_ptr<ciap::server::DatabaseConfig> m_config;
    std::unique_ptr<ciap::server::Session> m_session;
};
