#include "DtmDBGeral.h"

#include "HostErrors.h"

#include <QSqlError>
#include <QUrl>

namespace {

bool isPostgresUrl(const QString& location) {
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

} // namespace

void DtmDBGeral::open(const QString& databaseSpec) {
    close();
    const QString name = QString::fromLatin1(ConnectionName);
    if (databaseSpec.trimmed().isEmpty())
        throw EHostError(QStringLiteral("Banco de dados não informado."));
    {
        QSqlDatabase db;
        if (isPostgresUrl(databaseSpec)) {
            const QUrl url(databaseSpec);
            if (!url.isValid() || url.path().size() < 2)
                throw EHostError(QStringLiteral("Endereço de banco de dados inválido: %1")
                                     .arg(url.toDisplayString(QUrl::RemovePassword)));
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
            db.setHostName(url.host());
            if (url.port() > 0)
                db.setPort(url.port());
            db.setUserName(url.userName(QUrl::FullyDecoded));
            db.setPassword(url.password(QUrl::FullyDecoded));
            db.setDatabaseName(url.path(QUrl::FullyDecoded).mid(1));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(databaseSpec);
        }
        if (!db.isValid()) {
            const QString text = QStringLiteral("Driver de banco de dados indisponível: %1")
                                     .arg(db.lastError().text());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw EHostError(text);
        }
        if (!db.open()) {
            const QString text = QStringLiteral("Não foi possível abrir o banco de dados: %1")
                                     .arg(db.lastError().text());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            throw EHostError(text);
        }
    }
    m_spec = databaseSpec;
}

void DtmDBGeral::close() {
    const QString name = QString::fromLatin1(ConnectionName);
    if (QSqlDatabase::contains(name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
    m_spec.clear();
}

bool DtmDBGeral::isOpen() const {
    const QString name = QString::fromLatin1(ConnectionName);
    return QSqlDatabase::contains(name) && QSqlDatabase::database(name, false).isOpen();
}

QSqlDatabase DtmDBGeral::database() const {
    const QString name = QString::fromLatin1(ConnectionName);
    if (!QSqlDatabase::contains(name))
        throw EHostError(QStringLiteral("A conexão com o banco de dados não foi aberta."));
    return QSqlDatabase::database(name, false);
}

DtmDBGeral& dtmDBGeral() {
    static DtmDBGeral module;
    return module;
}
