#include "AdminCommands.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int) {
    interrupted = true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ciap-admin"));
    // The server's log lines (a migration step, say) are for its journal, not for this
    // terminal; warnings still show.
    QLoggingCategory::setFilterRules(QStringLiteral("ciap.*.info=false"));
    // Ctrl-C during an import stops it between files, keeping the files already imported.
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    QTextStream out(stdout);
    QTextStream err(stderr);
    ciap::admin::AdminIo io{
        out, err, isatty(fileno(stderr)) != 0, [] { return interrupted.load(); },
        [](const QByteArray& bytes) {
            std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
            std::fflush(stdout);
        }};
    const int rc = ciap::admin::run(app.arguments().mid(1), io);
    out.flush();
    err.flush();
    return rc;
}
