#pragma once

#include "CiapBook.h"

#include <QImage>
#include <QPageLayout>

class QIODevice;
class QPagedPaintDevice;

namespace ciap::book {

// The book's pages, laid out in points on A4 so that the file, the print preview and a
// printer show the same sheets. Knows the figures, not where they came from.
class BookLayout final {
public:
    static QPageLayout pageLayout(); // A4 portrait, 12 mm margins
    static int pageCount(const CiapBook& book);
    // Every page on the device, which is set to pageLayout() first.
    static void paint(const CiapBook& book, QPagedPaintDevice& device);
    static void writePdf(const CiapBook& book, QIODevice& out);
    // One page (from 0) as an image, for a look without a PDF viewer.
    static QImage pageImage(const CiapBook& book, int page, int dpi);
};

} // namespace ciap::book
