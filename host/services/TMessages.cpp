#include "TMessages.h"

TMessages::TMessages(QObject* parent)
    : QObject(parent) {}

void TMessages::Add(const QString& key, const QString& text) {
    Lines.append(key + QLatin1Char('|') + text);
}

namespace {

// Index of the first line whose key is exactly `key`, -1 when none.
qsizetype findLine(const QStringList& lines, const QString& key) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar == key.size() && QStringView(line).left(bar) == key)
            return i;
    }
    return -1;
}

} // namespace

bool TMessages::Contains(const QString& key) const {
    return findLine(Lines, key) >= 0;
}

QString TMessages::Msg(const QString& key) const {
    const qsizetype i = findLine(Lines, key);
    if (i < 0)
        return QStringLiteral("Mensagem não encontrada: %1").arg(key);
    const QString& line = Lines.at(i);
    return line.mid(line.indexOf(QLatin1Char('|')) + 1);
}
