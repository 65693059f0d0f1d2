#pragma once

#include "CiapBook.h"

#include <QString>
#include <QVariant>

// What "Livro CIAP" does besides showing it: the typed request checked, the server's answer
// read into the book the preview lays out. No window: the tests run them as they are.
namespace livrociap {

struct Request {
    QString company;
    QString registration;
    QString month; // "MM/AAAA"
    QString model; // "C" or "D"
    QString tax;   // optional
};

// The first thing the user has to fix, in Portuguese; empty when the request can go.
QString check(const Request& request);
// The arguments of ciap.fiscal.livroCIAP.
QVariantList arguments(const Request& request);

struct Answer {
    QString fileName;
    ciap::book::CiapBook book;
};
// The checked answer (CheckResultServ's QVariantList); throws EHostError when it is not one.
Answer read(const QVariant& answer);

} // namespace livrociap
