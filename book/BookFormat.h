#pragma once

#include "CiapBook.h"

#include <QString>

namespace ciap::book {

// How the book writes its values: pt_BR whatever the machine's locale.
class BookFormat final {
public:
    static QString money(qint64 cents);           // "1.234,56", "-0,05"
    static QString coefficient(qint64 value);     // "0,60000000"
    static QString date(const QDate& date);       // "15/03/2024", "" when invalid
    static QString cnpj(const QString& digits);   // "44.555.666/0001-81"; anything else as it is
    static QString exitKind(const QString& kind); // "venda", "perda", "outra saída"
    // "NF-e 55 série 1 nº 123 de 10/01/2024"
    static QString document(const BookDocument& d);
    static QString modelTitle(BookModel model);
};

} // namespace ciap::book
