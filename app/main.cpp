#include "AppOptions.h"
#include "HostErrors.h"
#include "HostFont.h"
#include "HostRunner.h"

#include <QApplication>
#include <cstdio>

namespace {

// Reads the command line; prints the help, the version or what is wrong with it. -1 when the
// application is to start, else the exit code.
int readLine(const QStringList& arguments, AppOptions& options) {
    try {
        options = AppOptions::parse(arguments);
    } catch (const EHostError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 2;
    }
    if (!options.helpText.isEmpty()) {
        std::fprintf(stdout, "%s", qPrintable(options.helpText));
        return 0;
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setOrganizationName(QStringLiteral("ciap"));
    QCoreApplication::setApplicationName(QStringLiteral("ciap"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CIAP_VERSION));
    AppOptions options;
    // Help and version are text: they must work on a machine without a display, where the
    // window system cannot even be opened.
    if (AppOptions::answersWithoutWindow(argc, argv)) {
        QCoreApplication core(argc, argv);
        const int code = readLine(QCoreApplication::arguments(), options);
        return code < 0 ? 0 : code;
    }
    QApplication app(argc, argv);
    const int code = readLine(QApplication::arguments(), options);
    if (code >= 0)
        return code;
    HostFont::pinApplicationFont();
    HostRunner runner(options);
    return runner.run();
}
