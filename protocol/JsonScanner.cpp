#include "JsonScanner.h"

#include "PacketCodec.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace ciap {

namespace {

QString describe(char c) {
    if (c >= 0x20 && c < 0x7F)
        return QStringLiteral("'%1'").arg(QChar::fromLatin1(c));
    return QStringLiteral("byte 0x%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Length of the well-formed UTF-8 sequence at p, 0 when it is not one (overlong forms,
// surrogates and code points above U+10FFFF are rejected as the standard demands).
int utf8SequenceLength(const uchar* p, const uchar* end) {
    const uchar c = p[0];
    auto cont = [&](int i) { return p + i < end && (p[i] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] > 0x9F))
            return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        if ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] > 0x8F))
            return 0;
        return 4;
    }
    return 0;
}

} // namespace

JsonScanner::JsonScanner(QByteArrayView text)
    : m_begin(text.data())
    , m_pos(text.data())
    , m_end(text.data() + text.size()) {}

void JsonScanner::fail(const QString& what) const {
    failAt(offset(), what);
}

void JsonScanner::failAt(qsizetype offset, const QString& what) const {
    throw ProtocolError(QStringLiteral("invalid JSON at offset %1: %2").arg(offset).arg(what));
}

char JsonScanner::peek() {
    skipWs();
    return m_pos < m_end ? *m_pos : '\0';
}

void JsonScanner::expect(char c) {
    skipWs();
    if (m_pos >= m_end)
        fail(QStringLiteral("the text ends where %1 was expected").arg(describe(c)));
    if (*m_pos != c)
        fail(QStringLiteral("expected %1, found %2").arg(describe(c), describe(*m_pos)));
    ++m_pos;
}

bool JsonScanner::consumeNull() {
    skipWs();
    if (m_pos < m_end && *m_pos == 'n') {
        expectLiteral("null");
        return true;
    }
    return false;
}

void JsonScanner::expectLiteral(const char* literal) {
    const size_t length = std::strlen(literal);
    if (size_t(m_end - m_pos) < length || std::memcmp(m_pos, literal, length) != 0)
        fail(QStringLiteral("expected %1").arg(QLatin1StringView(literal)));
    m_pos += length;
}

bool JsonScanner::more(bool first, char close) {
    skipWs();
    if (m_pos >= m_end)
        fail(QStringLiteral("the text ends inside %1")
                 .arg(close == ']' ? QStringLiteral("an array") : QStringLiteral("an object")));
    if (*m_pos == close) {
        ++m_pos;
        return false;
    }
    if (!first) {
        if (*m_pos != ',')
            fail(QStringLiteral("expected ',' or %1, found %2")
                     .arg(describe(close), describe(*m_pos)));
        ++m_pos;
        skipWs();
        if (m_pos < m_end && *m_pos == close)
            fail(QStringLiteral("a value is missing before %1").arg(describe(close)));
    }
    return true;
}

JsonScanner::RawString JsonScanner::scanString() {
    skipWs();
    if (m_pos >= m_end)
        fail(QStringLiteral("the text ends where a string was expected"));
    if (*m_pos != '"')
        fail(QStringLiteral("expected a string, found %1").arg(describe(*m_pos)));
    const char* const start = ++m_pos;
    RawString raw;
    for (;;) {
        // Plain ASCII runs are the common case: skip them in one tight loop.
        while (m_pos < m_end && uchar(*m_pos) >= 0x20 && *m_pos != '"' && *m_pos != '\\' &&
               uchar(*m_pos) < 0x80)
            ++m_pos;
        if (m_pos >= m_end)
            failAt(start - 1 - m_begin, QStringLiteral("the string is not closed"));
        const uchar c = uchar(*m_pos);
        if (c == '"')
            break;
        if (c == '\\') {
            raw.escaped = true;
            if (m_end - m_pos < 2)
                failAt(start - 1 - m_begin, QStringLiteral("the string is not closed"));
            const char e = m_pos[1];
            if (e == 'u') {
                if (m_end - m_pos < 6 || hexValue(m_pos[2]) < 0 || hexValue(m_pos[3]) < 0 ||
                    hexValue(m_pos[4]) < 0 || hexValue(m_pos[5]) < 0)
                    fail(QStringLiteral("\\u must be followed by four hexadecimal digits"));
                m_pos += 6;
            } else if (std::strchr("\"\\/bfnrt", e) && e != '\0') {
                m_pos += 2;
            } else {
                fail(QStringLiteral("unknown escape \\%1").arg(describe(e)));
            }
        } else if (c < 0x20) {
            fail(QStringLiteral("control character %1 inside a string").arg(describe(char(c))));
        } else {
            const int length = utf8SequenceLength(reinterpret_cast<const uchar*>(m_pos),
                                                  reinterpret_cast<const uchar*>(m_end));
            if (length == 0)
                fail(QStringLiteral("the string is not valid UTF-8"));
            raw.ascii = false;
            m_pos += length;
        }
    }
    raw.bytes = QByteArrayView(start, m_pos - start);
    ++m_pos;
    return raw;
}

QString JsonScanner::decode(const RawString& raw) const {
    if (!raw.escaped)
        return raw.ascii ? QString::fromLatin1(raw.bytes) : QString::fromUtf8(raw.bytes);
    QString text;
    text.reserve(raw.bytes.size());
    const char* p = raw.bytes.data();
    const char* const end = p + raw.bytes.size();
    while (p < end) {
        const char* run = p;
        while (p < end && *p != '\\')
            ++p;
        if (p > run)
            text.append(QString::fromUtf8(run, p - run));
        if (p >= end)
            break;
        const char e = p[1];
        p += 2;
        switch (e) {
        case 'b':
            text.append(QChar(u'\b'));
            break;
        case 'f':
            text.append(QChar(u'\f'));
            break;
        case 'n':
            text.append(QChar(u'\n'));
            break;
        case 'r':
            text.append(QChar(u'\r'));
            break;
        case 't':
            text.append(QChar(u'\t'));
            break;
        case 'u': {
            // Kept as UTF-16 units: a surrogate pair joins by itself, a lone one stays.
            const char16_t unit = char16_t(hexValue(p[0]) << 12 | hexValue(p[1]) << 8 |
                                           hexValue(p[2]) << 4 | hexValue(p[3]));
            text.append(QChar(unit));
            p += 4;
            break;
        }
        default:
            text.append(QChar::fromLatin1(e));
            break;
        }
    }
    return text;
}

QString JsonScanner::readKey() {
    QString key = readString();
    expect(':');
    return key;
}

double JsonScanner::readNumber() {
    skipWs();
    const char* const start = m_pos;
    const char* p = m_pos;
    if (p < m_end && *p == '-')
        ++p;
    if (p >= m_end || !isDigit(*p)) {
        if (p >= m_end)
            fail(QStringLiteral("the text ends where a number was expected"));
        failAt(p - m_begin, QStringLiteral("expected a number, found %1").arg(describe(*p)));
    }
    if (*p == '0') {
        ++p;
    } else {
        while (p < m_end && isDigit(*p))
            ++p;
    }
    if (p < m_end && *p == '.') {
        ++p;
        if (p >= m_end || !isDigit(*p))
            failAt(p - m_begin, QStringLiteral("a digit must follow the decimal point"));
        while (p < m_end && isDigit(*p))
            ++p;
    }
    if (p < m_end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < m_end && (*p == '+' || *p == '-'))
            ++p;
        if (p >= m_end || !isDigit(*p))
            failAt(p - m_begin, QStringLiteral("a digit must follow the exponent"));
        while (p < m_end && isDigit(*p))
            ++p;
    }
    double value = 0;
    const auto result = std::from_chars(start, p, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Neither infinity nor a silent zero: the sender meant a value a double cannot hold.
        failAt(start - m_begin, QStringLiteral("the number is out of range for a double"));
    } else if (result.ec != std::errc() || result.ptr != p) {
        failAt(start - m_begin, QStringLiteral("malformed number"));
    }
    m_pos = p;
    return value;
}

void JsonScanner::skipValue() {
    skipValue(0);
}

void JsonScanner::skipValue(int depth) {
    if (depth > MaxDepth)
        fail(QStringLiteral("nesting deeper than %1 levels").arg(MaxDepth));
    switch (peek()) {
    case '\0':
        fail(QStringLiteral("the text ends where a value was expected"));
    case '"':
        scanString();
        return;
    case '{':
        ++m_pos;
        for (bool first = true; more(first, '}'); first = false) {
            scanString();
            expect(':');
            skipValue(depth + 1);
        }
        return;
    case '[':
        ++m_pos;
        for (bool first = true; more(first, ']'); first = false)
            skipValue(depth + 1);
        return;
    case 't':
        expectLiteral("true");
        return;
    case 'f':
        expectLiteral("false");
        return;
    case 'n':
        expectLiteral("null");
        return;
    default:
        readNumber();
        return;
    }
}

void JsonScanner::skipContainerLoosely() {
    const char open = peek();
    if (open != '{' && open != '[')
        fail(QStringLiteral("expected an object or an array"));
    const char* const start = m_pos;
    int depth = 0;
    while (m_pos < m_end) {
        const char c = *m_pos++;
        switch (c) {
        case '{':
        case '[':
            if (++depth > MaxDepth)
                fail(QStringLiteral("nesting deeper than %1 levels").arg(MaxDepth));
            break;
        case '}':
        case ']':
            if (--depth == 0)
                return;
            break;
        case '"':
            while (m_pos < m_end && *m_pos != '"')
                m_pos += (*m_pos == '\\' && m_end - m_pos > 1) ? 2 : 1;
            if (m_pos >= m_end)
                break;
            ++m_pos;
            break;
        default:
            break;
        }
    }
    failAt(start - m_begin,
           QStringLiteral("the text ends inside %1")
               .arg(open == '{' ? QStringLiteral("an object") : QStringLiteral("an array")));
}

void JsonScanner::expectEnd() {
    skipWs();
    if (m_pos < m_end)
        fail(QStringLiteral("unexpected %1 after the end of the value").arg(describe(*m_pos)));
}

} // namespace ciap
