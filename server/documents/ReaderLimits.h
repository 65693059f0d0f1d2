#pragma once

#include <QtGlobal>

namespace ciap::documents {

// Bounds on what one document may cost. A processed NF-e is a few hundred KiB at most (the tax
// authority refuses larger messages), so the defaults leave a wide margin; memory stays in
// proportion to one file, whatever the number of files read.
struct ReaderLimits {
    qint64 maxBytes = 4 * 1024 * 1024; // larger files are refused before being read whole
    int maxDepth = 32;                 // fiscal documents nest about 10 levels
    int maxElements = 100000;          // 990 items of a large NF-e need about 70,000
};

} // namespace ciap::documents
