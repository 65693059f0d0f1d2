#pragma once

// A file's text split into lines and fields, as views into the text (which must outlive it).
// Shared by the validator and the reader so both see a line exactly the same way.

#include "EfdLayout.h"
#include "EfdProblem.h"

#include <QList>
#include <QStringView>

namespace ciap::efd {

struct EfdLine {
    int number = 0;         // 1-based line of the file
    std::optional<Reg> reg; // empty for a register this library does not know
    qsizetype first = 0;    // index of field 01 (REG) in EfdText's field list
    int count = 0;          // fields, REG included
};

class EfdText final {
public:
    explicit EfdText(QStringView text);

    const QList<EfdLine>& lines() const { return m_lines; }
    // Field `number` as the layout counts (01 is REG); empty beyond the line's last field.
    QStringView field(const EfdLine& line, int number) const {
        return number <= line.count ? m_fields[line.first + number - 1] : QStringView();
    }
    // Lines not shaped |REG|...| with CRLF, and registers not known.
    const QList<Problem>& problems() const { return m_problems; }

private:
    void addLine(int number, QStringView content, bool crlf);

    QList<EfdLine> m_lines;
    QList<QStringView> m_fields;
    QList<Problem> m_problems;
};

} // namespace ciap::efd
