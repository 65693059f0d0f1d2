#pragma once

// What the commands share: the database they open, the values they read and how they write
// figures. Not part of the library's interface.
#include "AdminArguments.h"
#include "AdminCommands.h"
#include "DatabaseConfig.h"
#include "Session.h"

#include <memory>

namespace ciap::admin {

// The database of --database, brought to the current schema. A SQLite file that does not
// exist is created only where create is set (the commands a new install starts with), so that
// a mistyped path is not taken for an empty database.
struct Database {
    std::unique_ptr<server::DatabaseConfig> config;
    std::unique_ptr<server::Session> session;
};
Database openDatabase(const AdminArguments& args, bool create = false);

// "--company 1" is company "01": codes are padded as the screen pads them.
QString companyCode(const AdminArguments& args, const QString& option = QStringLiteral("company"));
// The company must exist.
QString existingCompany(const AdminArguments& args, server::Session& session);

QString formatCents(qint64 cents);     // "1.234,56"
QString formatDate(const QDate& date); // "15/03/2024", "-" when invalid

int registryCommand(const QString& command, const QStringList& arguments, AdminIo& io);
int importCommand(const QStringList& arguments, AdminIo& io);
int assetCommand(const QStringList& arguments, AdminIo& io);
int exitCommand(const QStringList& arguments, AdminIo& io);
int fiscalCommand(const QString& command, const QStringList& arguments, AdminIo& io);
int listCommand(const QString& command, const QStringList& arguments, AdminIo& io);

} // namespace ciap::admin
