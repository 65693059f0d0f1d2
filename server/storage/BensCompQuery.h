#pragma once

#include "Month.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace ciap::server {

class Session;

// The assets of one competência as getBensComp's packet text. On SQLite it reads through the
// C API straight into the JSON text (a month may hold 100,000 assets); elsewhere through QtSql.
class BensCompQuery final {
public:
    // Takes the packet's text in pieces while its rows are still being read.
    using Spill = std::function<void(QByteArrayView)>;

    static QString sql();
    // With spill, the start of the text goes to it as the rows are read (a piece every
    // spillBytes or so) and what is returned is the rest.
    static QByteArray packet(Session& session, const QString& company, const QString& tax,
                             qint64 sequence, const Month& month, const Spill& spill = {},
                             qsizetype spillBytes = 256 * 1024);
};

} // namespace ciap::server
