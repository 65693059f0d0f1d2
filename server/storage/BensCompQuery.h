#pragma once

#include "Month.h"

#include <QByteArray>
#include <QString>

namespace ciap::server {

class Session;

// The assets of one competência as getBensComp's packet text. On SQLite it reads through the
// C API straight into the JSON text (a month may hold 100,000 assets); elsewhere through QtSql.
class BensCompQuery final {
public:
    static QString sql();
    static QByteArray packet(Session& session, const QString& company, const QString& tax,
                             qint64 sequence, const Month& month);
};

} // namespace ciap::server
