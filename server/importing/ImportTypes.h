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
};

struct ImportProgress {
    int done = 0; // files settled so far
    int total = 0;
    QString name; // the file just settled
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
