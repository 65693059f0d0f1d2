#pragma once

#include "EfdModel.h"
#include "EfdProblem.h"

#include <QByteArray>

namespace ciap::efd {

struct ReadResult {
    EfdFile file;            // what could be read; fields that could not are left default
    QList<Problem> problems; // the validator's, on the text as read
    bool ok() const { return problems.isEmpty(); }
};

// A file as EfdWriter writes it (ISO-8859-1, CRLF) back into the model, validated, so a
// written month can be checked and compared with what was meant.
class EfdReader final {
public:
    static ReadResult read(const QByteArray& latin1);
    static ReadResult readFile(const QString& path); // throws EfdError when it cannot be read
};

} // namespace ciap::efd
