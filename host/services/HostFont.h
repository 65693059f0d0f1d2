#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// The one face every window of the host is drawn in. The screens are laid out in pixels, so
// they only look and measure the same on every machine when the face does not depend on what
// fonts a machine happens to have: it is read from the files of a font package that setup
// installs, at a fixed pixel size, whatever fontconfig would have chosen.
namespace HostFont {

QString family();    // "Liberation Sans"
int pixelSize();     // 11: the compact 8-point face at 96 dpi
QStringList files(); // the regular and bold files, in the package's folder
QString directory(); // the package's folder; CIAP_FONT_DIR overrides it

// Loads the files into the application's font database, once per process. False when one
// could not be loaded, with the reason in lastError(); the face then falls back to the
// platform's.
bool load();
QString lastError();

// The pinned face at its size (loaded first when it was not yet).
QFont font();

// load() and make font() the application's font. Prints the reason to stderr when the face
// is missing, so that a machine without the package is told why its windows look different.
bool pinApplicationFont();

} // namespace HostFont
