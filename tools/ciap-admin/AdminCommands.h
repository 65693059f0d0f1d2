#pragma once

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
};

// Runs one command line (the program's name left out) and gives its exit status: 0 done,
// 1 refused or failed (the reason written), 2 the command line itself was wrong.
int run(const QStringList& arguments, AdminIo& io);
QString usage();

} // namespace ciap::admin
