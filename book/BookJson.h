#pragma once

#include "CiapBook.h"

#include <QByteArray>

namespace ciap::book {

// The book as it travels from the server to the window that prints it. Amounts go as JSON
// numbers of cents, which stay exact far beyond any register's figures.
class BookJson final {
public:
    static QByteArray write(const CiapBook& book);
    // Throws std::runtime_error on text that is not a book.
    static CiapBook read(const QByteArray& json);
};

} // namespace ciap::book
