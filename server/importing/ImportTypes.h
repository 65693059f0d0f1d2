#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace ciap::server {

// What the buyer decides of a supplier's NF-e, whose CFOPs are the seller's: with assets every
// item becomes assets (or only the numbered items); without, the document is kept as a
// purchase whose items can become assets later. An entry the company issued itself is decided
// by its own entry CFOPs whatever these say.
struct ImportOptions {
    bool assets = false;
    QList<int> items; // nItem of the items to turn into assets; all when empty
};

// One file to import: read from path, or the bytes given (a client's upload, the demo's
// documents).
struct ImportSource {
    QString name; // how the user names it: a path, a file name
    QString path; // empty when bytes hold the document
    QByteArray bytes;
};

enum class FileStatus { Imported, Duplicate, Refused };

struct FileOutcome {
    QString name;
    FileStatus status = FileStatus::Imported;
    QString reason; // why it was refused
    // What the file held, once read: "NFE", "CTE" or "EVT", and the access key of the NF-e or
    // CT-e (of the cancelled NF-e for an event); empty when it could not be read. A caller
    // that reports what one file brought (the server's method) looks the key up afterwards.
    QString kind;
    QString key;
};

struct ImportProgress {
    int done = 0; // files settled so far
    int total = 0;
    QString name; // the file just settled
    // How it settled; an import holds once its batch is committed (run's summary says so).
    FileOutcome outcome;
};

struct ImportSummary {
    int imported = 0;
    int duplicates = 0;
    int refused = 0;
    bool cancelled = false; // stopped between files at the caller's request
    QString failure;        // the database failed: the run stopped here
    QList<FileOutcome> files;
};

} // namespace ciap::server
