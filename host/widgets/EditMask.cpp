#include "EditMask.h"

#include <QStringList>

namespace {

// Characters with a meaning in a Qt mask; as literals they need a backslash.
bool isQtMaskCharacter(QChar c) {
    return QStringLiteral("AaNnXx90Dd#HhBb><!\\;[]{}").contains(c);
}

void appendLiteral(QString& out, QChar c) {
    if (isQtMaskCharacter(c))
        out.append(QLatin1Char('\\'));
    out.append(c);
}

} // namespace

QString qtInputMask(const QString& platformMask) {
    if (platformMask.isEmpty())
        return {};

    // Split off the two trailing sections; a backslash escapes a ';' of the mask itself.
    QString mask;
    QStringList rest;
    bool escaped = false;
    for (QChar c : platformMask) {
        if (!rest.isEmpty()) {
            if (c == QLatin1Char(';'))
                rest.append(QString());
            else
                rest.last().append(c);
            continue;
        }
        if (escaped) {
            mask.append(QLatin1Char('\\')).append(c);
            escaped = false;
        } else if (c == QLatin1Char('\\')) {
            escaped = true;
        } else if (c == QLatin1Char(';')) {
            rest.append(QString());
        } else {
            mask.append(c);
        }
    }
    while (mask.endsWith(QLatin1Char(' ')) && !mask.endsWith(QLatin1String("\\ ")))
        mask.chop(1);
    const QChar blank =
        rest.size() >= 2 && !rest.at(1).isEmpty() ? rest.at(1).at(0) : QLatin1Char('_');

    QString out;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        switch (c.unicode()) {
        case '\\':
            if (i + 1 < mask.size())
                appendLiteral(out, mask.at(++i));
            break;
        case '0':
            out.append(QLatin1Char('9'));
            break; // required digit
        case '9':
            out.append(QLatin1Char('0'));
            break; // optional digit
        case '#':
            out.append(QLatin1Char('#'));
            break; // optional digit or sign
        case 'L':
            out.append(QLatin1Char('A'));
            break; // required letter
        case 'l':
            out.append(QLatin1Char('a'));
            break;
        case 'A':
            out.append(QLatin1Char('N'));
            break; // required letter or digit
        case 'a':
            out.append(QLatin1Char('n'));
            break;
        case 'C':
            out.append(QLatin1Char('X'));
            break; // required character
        case 'c':
            out.append(QLatin1Char('x'));
            break;
        case '>':
            out.append(QLatin1Char('>'));
            break;
        case '<': // "<>" switches case conversion off
            if (i + 1 < mask.size() && mask.at(i + 1) == QLatin1Char('>')) {
                out.append(QLatin1Char('!'));
                ++i;
            } else {
                out.append(QLatin1Char('<'));
            }
            break;
        case '!':
            break; // blank trimming: nothing in Qt
        case '_':
            out.append(QLatin1Char(' '));
            break; // a literal blank
        default:
            appendLiteral(out, c);
            break;
        }
    }
    return out + QLatin1Char(';') + blank;
}
