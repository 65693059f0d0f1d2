#pragma once

#include "DataPacket.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

// What "Gerar Bloco G" does besides showing it: the typed request checked, the server's answer
// read, the file saved. No window: the tests run them as they are.
namespace blocog {

struct Request {
    QString company;
    QString registration;
    QString month; // "MM/AAAA"
    QString tax;   // optional
    QString path;  // where to save
};

// The first thing the user has to fix, in Portuguese; empty when the request can go.
QString check(const Request& request);
// The name the file is offered under: the server's own naming, bloco-g-CC-IE-AAAAMM.txt.
QString suggestedName(const Request& request);
// The arguments of ciap.fiscal.gerarBlocoG.
QVariantList arguments(const Request& request);

struct Answer {
    bool ok = false;
    QString fileName;
    QByteArray file; // ISO-8859-1, CRLF: saved byte for byte
    ciap::DataPacket problems;
    int lines = 0;
    int movements = 0;
    QString tax;
};
// The checked answer (CheckResultServ's QVariantList); throws EHostError when it is not one.
Answer read(const QVariant& answer);

// Byte for byte through QSaveFile: a failed write leaves what was there. Throws EHostError.
void save(const QString& path, const QByteArray& bytes);

// The message after the file was saved.
QString savedText(const Request& request, const Answer& answer);
QString problemsText(const Answer& answer);

} // namespace blocog
