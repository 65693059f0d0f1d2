#pragma once

#include "EfdModel.h"
#include "EfdProblem.h"

#include <QByteArray>

namespace ciap::efd {

struct WriteResult {
    QByteArray bytes; // ISO-8859-1, CRLF; empty when there are problems
    QList<Problem> problems;
    bool ok() const { return problems.isEmpty(); }
};

// Bloco 0 (what Bloco G references), Bloco G and Bloco 9 of one establishment's month. The
// text is validated as written; a file with any problem is not produced at all.
class EfdWriter final {
public:
    static WriteResult write(const EfdFile& file);
    // Writes through QSaveFile, so a refused or failed write leaves `path` as it was.
    // Throws EfdError carrying every problem.
    static void writeFile(const EfdFile& file, const QString& path);
};

} // namespace ciap::efd
