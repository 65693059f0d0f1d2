#include "AdminCommands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int) {
    interrupted = true;
}

QtMessageHandler defaultHandler = nullptr;

// The book's offscreen platform looks for a runtime folder that a login without a desktop
// session has not got; Qt makes one of its own, and the user need not read about it.
void withoutRuntimeFolderNotice(QtMsgType type, const QMessageLogContext& context,
                                const QString& text) {
    if (text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    defaultHandler(type, context, text);
}

} // namespace

int main(int argc, char* argv[]) {
    // The book is drawn with Qt Gui's fonts, which need a QGuiApplication; on the offscreen
    // platform it needs no display, so the book is written on a server as anywhere else.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && std::strcmp(argv[1], "book") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        defaultHandler = qInstallMessageHandler(withoutRuntimeFolderNotice);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
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
    const int rc = ciap::admin::run(app->arguments().mid(1), io);
    out.flush();
    err.flush();
    return rc;
}
