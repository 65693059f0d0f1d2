#include "AppOptions.h"
#include "HostErrors.h"
#include "HostRunner.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ciap"));
    QApplication::setApplicationName(QStringLiteral("ciap"));
    AppOptions options;
    try {
        options = AppOptions::parse(QApplication::arguments());
    } catch (const EHostError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.text()));
        return 2;
    }
    if (!options.helpText.isEmpty()) {
        std::fprintf(stdout, "%s", qPrintable(options.helpText));
        return 0;
    }
    HostRunner runner(options);
    return runner.run();
}
