#include "HostFont.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <cstdio>

namespace {

struct LoadState {
    bool tried = false;
    bool ok = false;
    QString error;
};

LoadState& state() {
    static LoadState s;
    return s;
}

} // namespace

QString HostFont::family() {
    return QStringLiteral("Liberation Sans");
}

int HostFont::pixelSize() {
    return 11;
}

QString HostFont::directory() {
    const QString overridden = qEnvironmentVariable("CIAP_FONT_DIR");
    return overridden.isEmpty() ? QStringLiteral("/usr/share/fonts/truetype/liberation2")
                                : overridden;
}

QStringList HostFont::files() {
    const QDir dir(directory());
    return {dir.filePath(QStringLiteral("LiberationSans-Regular.ttf")),
            dir.filePath(QStringLiteral("LiberationSans-Bold.ttf"))};
}

bool HostFont::load() {
    LoadState& s = state();
    if (s.tried)
        return s.ok;
    s.tried = true;
    s.ok = true;
    for (const QString& file : files()) {
        // Straight from the file: the family is then known to Qt even where fontconfig's
        // cache has not seen the package yet.
        const int id = QFontDatabase::addApplicationFont(file);
        if (id < 0 || !QFontDatabase::applicationFontFamilies(id).contains(family())) {
            s.ok = false;
            s.error = QFileInfo::exists(file)
                          ? QStringLiteral("%1 não contém a fonte %2.").arg(file, family())
                          : QStringLiteral("Fonte %1 não encontrada (%2); instale o pacote "
                                           "fonts-liberation2.")
                                .arg(family(), file);
        }
    }
    return s.ok;
}

QString HostFont::lastError() {
    return state().error;
}

QFont HostFont::font() {
    load();
    QFont f;
    f.setFamilies({family()});
    f.setPixelSize(pixelSize());
    f.setWeight(QFont::Normal);
    f.setStyle(QFont::StyleNormal);
    // Hinting only across: widths stay those of the face's design on every machine, whatever
    // hinting the machine's font configuration asks for.
    f.setHintingPreference(QFont::PreferVerticalHinting);
    return f;
}

bool HostFont::pinApplicationFont() {
    const bool ok = load();
    if (!ok)
        std::fprintf(stderr, "%s\n", qPrintable(lastError()));
    QApplication::setFont(font());
    return ok;
}
