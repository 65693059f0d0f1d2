#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>

namespace ciap::admin {

// Where a command writes, and what it may know of its terminal.
struct AdminIo {
    QTextStream& out;
    QTextStream& err;
    bool progress = false;                 // the error stream is a terminal: a progress line
    std::function<bool()> cancelRequested; // asked between imported files
    // Bytes for standard output as they are (a file in ISO-8859-1); unset, they go through
    // out as Latin-1 text.
    std::function<void(const QByteArray&)> raw{};
};

// Runs one command line (the program's name left out) and gives its exit status: 0 done,
// 1 refused or failed (the reason written), 2 the command line itself was wrong.
int run(const QStringList& arguments, AdminIo& io);
QString usage();

} // namespace ciap::admin
