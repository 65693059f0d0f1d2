#pragma once

// The validator's working state, shared by its parts (EfdValidator.cpp for the text and the
// structure, EfdChecksBloco0.cpp, EfdChecksBlocoG.cpp). Not part of the library's API.

#include "EfdText.h"

#include <QDate>
#include <QHash>

#include <array>

namespace ciap::efd {

class Check {
public:
    explicit Check(const EfdText& text);

    const EfdText& text;
    QList<Problem> problems;

    // Lines of each register, in file order (only lines whose REG is known).
    const QList<const EfdLine*>& of(Reg reg) const { return m_byReg[std::size_t(reg)]; }
    const EfdLine* single(Reg reg) const { return of(reg).size() == 1 ? of(reg).front() : nullptr; }

    QStringView f(const EfdLine& line, int number) const { return text.field(line, number); }
    // A number field's value at its layout decimals; empty when blank or malformed (the
    // malformed ones are already reported by the field checks).
    std::optional<qint64> value(const EfdLine& line, int number) const;
    qint64 valueOr0(const EfdLine& line, int number) const {
        return value(line, number).value_or(0);
    }
    QDate date(const EfdLine& line, int number) const;
    // The COD_IND_BEM a line belongs to: its own for 0300/G125, its parent's for children.
    QStringView assetOf(const EfdLine& line) const { return m_assetOf[line.number]; }

    // The period of 0000 (and so of G110), invalid when 0000 is missing or broken.
    QDate periodStart;
    QDate periodEnd;

    // Bloco 0 tables by code, filled by checkBloco0 for the references from Bloco G.
    QHash<QStringView, const EfdLine*> participants, units, items, assets, accounts, costCentres;

    void report(Rule rule, const EfdLine& line, int field, const QString& message);
    void reportFile(Rule rule, const QString& message); // no line to point at

private:
    std::array<QList<const EfdLine*>, kRegCount> m_byReg;
    QList<QStringView> m_assetOf; // by line number
};

// The user's hint for a problem coming from the register that fed a line; empty for
// problems of the file's own making (structure and counts).
QString registerHint(Rule rule, QStringView reg, QStringView field);

// Every check, on a text already split (the reader splits once for both).
QList<Problem> validateText(const EfdText& text);

void checkFields(Check& c);
void checkStructure(Check& c);
void checkCounts(Check& c);
void checkHeader(Check& c);
void checkBloco0(Check& c);
void checkBlocoG(Check& c);

} // namespace ciap::efd
