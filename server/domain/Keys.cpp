#include "Keys.h"

namespace ciap::server {

std::optional<QString> Keys::pad(const QString& code, int width) {
    const QString t = code.trimmed();
    if (t.size() > width)
        return std::nullopt;
    return t.rightJustified(width, QLatin1Char('0'));
}

QString Keys::formatSequence(qint64 number) {
    return QStringLiteral("%1").arg(number, SequenceWidth, 10, QLatin1Char('0'));
}

std::optional<qint64> Keys::parseSequence(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > SequenceWidth)
        return std::nullopt;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const qint64 n = t.toLongLong();
    if (n <= 0)
        return std::nullopt;
    return n;
}

QString Keys::locate(qint64 sequence) {
    return QLatin1Char('C') + formatSequence(sequence);
}

std::optional<QString> Keys::matchRegistration(const QStringList& stored, const QString& typed) {
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    for (const QString& s : stored) {
        if (s.trimmed().compare(t, Qt::CaseInsensitive) == 0)
            return s;
    }
    return std::nullopt;
}

} // namespace ciap::server
