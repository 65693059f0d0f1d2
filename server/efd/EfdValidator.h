#pragma once

#include "EfdProblem.h"

#include <QList>
#include <QStringView>

namespace ciap::efd {

// Every rule of the layout notes for the registers we write, run on the text itself (decoded,
// so that characters outside ISO-8859-1 can still be named): field formats, hierarchy and
// order, the closings' counts, the figures of G110/G125/G126/G140, and the references into
// Bloco 0. Problems come in file order of the checks, each naming its line and field.
class EfdValidator final {
public:
    static QList<Problem> validate(QStringView text);
};

} // namespace ciap::efd
