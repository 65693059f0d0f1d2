#pragma once

#include <QString>
#include <QTemporaryDir>

// A throwaway certificate authority and server certificates, made with openssl for one test
// run in a temporary directory: nothing secret is kept in the tree.
class TestCertificates final {
public:
    // False with the reason when openssl is missing or fails.
    bool create(QString* error);

    QString file(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QString caFile() const { return file("ca.pem"); }            // signed the two below
    QString otherCaFile() const { return file("other-ca.pem"); } // signed nothing here
    // For localhost and 127.0.0.1.
    QString serverCertificate() const { return file("server.pem"); }
    QString serverKey() const { return file("server.key"); }
    // For elsewhere.example only.
    QString wrongNameCertificate() const { return file("elsewhere.pem"); }
    QString wrongNameKey() const { return file("elsewhere.key"); }

private:
    bool openssl(const QStringList& arguments, QString* error);
    bool authority(const QString& name, QString* error);
    bool server(const QString& name, const QString& alternativeNames, QString* error);

    QTemporaryDir m_dir;
};
