#include "TestCertificates.h"

#include <QFile>
#include <QProcess>

bool TestCertificates::openssl(const QStringList& arguments, QString* error) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("openssl"), arguments);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("openssl %1: %2 %3")
                     .arg(arguments.first(), p.errorString(), QString::fromLocal8Bit(p.readAll()));
        return false;
    }
    return true;
}

bool TestCertificates::authority(const QString& name, QString* error) {
    return openssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-days", "2", "-subj", "/CN=CIAP test " + name, "-keyout",
                    m_dir.filePath(name + ".key"), "-out", m_dir.filePath(name + ".pem")},
                   error);
}

bool TestCertificates::server(const QString& name, const QString& alternativeNames,
                              QString* error) {
    const QString extensions = m_dir.filePath(name + ".ext");
    QFile ext(extensions);
    if (!ext.open(QIODevice::WriteOnly) ||
        ext.write(QStringLiteral("subjectAltName=%1\nbasicConstraints=CA:FALSE\n"
                                 "extendedKeyUsage=serverAuth\n")
                      .arg(alternativeNames)
                      .toUtf8()) < 0) {
        *error = ext.errorString();
        return false;
    }
    ext.close();
    return openssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                    "-subj", "/CN=" + name, "-keyout", m_dir.filePath(name + ".key"), "-out",
                    m_dir.filePath(name + ".csr")},
                   error) &&
           openssl({"x509", "-req", "-days", "2", "-in", m_dir.filePath(name + ".csr"), "-CA",
                    caFile(), "-CAkey", m_dir.filePath(QStringLiteral("ca.key")), "-CAcreateserial",
                    "-extfile", extensions, "-out", m_dir.filePath(name + ".pem")},
                   error);
}

bool TestCertificates::create(QString* error) {
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary directory");
        return false;
    }
    return authority(QStringLiteral("ca"), error) && authority(QStringLiteral("other-ca"), error) &&
           server(QStringLiteral("server"), QStringLiteral("DNS:localhost,IP:127.0.0.1"), error) &&
           server(QStringLiteral("elsewhere"), QStringLiteral("DNS:elsewhere.example"), error);
}
