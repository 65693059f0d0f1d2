#pragma once

#include "EfdProblem.h"
#include "Month.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace ciap::server {

class Session;

struct BlocoGRequest {
    QString company;
    QString registration; // as typed: matched as the screen matches it
    Month month;
    // Empty: the month's one appropriated competência (or its only one).
    QString tax;
};

struct BlocoGResult {
    QByteArray bytes;             // ISO-8859-1, CRLF; empty when there are problems
    QList<efd::Problem> problems; // every one at once; nothing is written when any
    QString registration;         // as stored
    QString tax;                  // the competência's, empty for a month without one
    int lines = 0;
    int movements = 0; // G125 lines; 0: G001 says the block has no data
    QString fileName;  // a name to save it under
    bool ok() const { return problems.isEmpty(); }
};

// A registration's month as the tax file's Bloco G, with the Bloco 0 registers it references
// and Bloco 9 (docs/bloco-g.md). Reads the stored, appropriated figures and the register as it
// is now; writes nothing to the database. Throws ServiceError when the month cannot be
// exported at all (a pending month, no such registration, two appropriated taxes); problems
// of the register come back in the result, each naming register, asset and field and what to
// fix. Reads in a snapshot of its own: call it outside a transaction.
class BlocoGExport final {
public:
    explicit BlocoGExport(Session& session)
        : m_session(session) {}

    BlocoGResult run(const BlocoGRequest& request);

private:
    Session& m_session;
};

} // namespace ciap::server
