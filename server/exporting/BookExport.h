#pragma once

#include "CiapBook.h"
#include "Month.h"

#include <QString>

namespace ciap::server {

class Session;

struct BookRequest {
    QString company;
    QString registration; // as typed: matched as the screen matches it
    Month month;
    QString tax; // empty: the month's one appropriated competência
    book::BookModel model = book::BookModel::C;
};

// The CIAP book of a registration's appropriated month, from the stored figures and the
// register as it is now. Model D adds each asset's instalments, read from the months the
// register holds for the same tax. Throws ServiceError when the month has no appropriated
// competência; reads in a snapshot of its own, so call it outside a transaction.
class BookExport final {
public:
    explicit BookExport(Session& session)
        : m_session(session) {}

    book::CiapBook run(const BookRequest& request);
    static QString fileName(const BookRequest& request, const QString& registration);

private:
    Session& m_session;
};

} // namespace ciap::server
