#pragma once

// The CIAP book of one registration's month as plain figures: what the server reads from the
// register and the appropriated months, and what the layout prints. Amounts are whole cents,
// coefficients hundred-millionths (the eight decimals the appropriation fixes).

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

namespace ciap::book {

constexpr qint64 CoefficientOne = 100000000;

enum class BookModel { C, D };

struct BookHeader {
    QString company;
    QString companyName;
    QString cnpj;
    QString registration;
    QString uf;
    QString month; // "MM/YYYY"
    QString tax;
    QString taxName;
    bool wholeBalance = false; // kinds "50"/"60": the whole balance is credited
};

struct BookMonth {
    qint64 taxedCents = 0; // taxed outgoing and exports
    qint64 totalCents = 0;
    qint64 coefficient = 0;
    qint64 balanceCents = 0; // the sum of the month's instalments
    qint64 creditCents = 0;
};

struct BookDocument {
    QString model;
    QString series;
    QString number;
    QString key;
    QDate date;
    QString participant;
};

// One instalment of an asset and what the month it falls in made of it.
struct BookLine {
    enum class State {
        Later,       // after the book's month
        NotStored,   // no competência of the tax for the month
        Pending,     // a competência not yet appropriated
        NotLoaded,   // appropriated without this asset
        AfterExit,   // the asset had left: nothing more is credited
        Appropriated //
    };
    int number = 0;
    QString month; // "MM/YYYY"
    State state = State::NotStored;
    qint64 coefficient = 0;
    qint64 instalmentCents = 0;
    qint64 creditedCents = 0;
};

struct BookAsset {
    QString code;
    QString name;
    QString patrimony;
    QDate entry;
    std::optional<BookDocument> entryDocument;
    qint64 ownCents = 0;
    qint64 stCents = 0;
    qint64 freightCents = 0;
    qint64 difalCents = 0;
    int instalments = 48;
    int instalmentNumber = 0; // in the book's month
    qint64 instalmentCents = 0;
    qint64 appropriatedCents = 0;
    bool loaded = true; // false: it leaves in the month without being credited
    QDate exitDate;
    QString exitKind; // "V", "P", "O"
    std::optional<BookDocument> exitDocument;
    qint64 remainingCents = 0; // instalments still to come after the month
    QList<BookLine> lines;     // model D only: one per instalment

    qint64 creditCents() const { return ownCents + stCents + freightCents + difalCents; }
};

struct CiapBook {
    BookModel model = BookModel::C;
    BookHeader header;
    BookMonth figures;
    QList<BookAsset> assets;
};

} // namespace ciap::book
