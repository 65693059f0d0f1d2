#include "JsonWriter.h"

#include "PacketCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace ciap {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

char* writeUnicodeEscape(char* p, char16_t unit) {
    *p++ = '\\';
    *p++ = 'u';
    *p++ = hexDigits[(unit >> 12) & 0xF];
    *p++ = hexDigits[(unit >> 8) & 0xF];
    *p++ = hexDigits[(unit >> 4) & 0xF];
    *p++ = hexDigits[unit & 0xF];
    return p;
}

} // namespace

void JsonWriter::reserveMore(qsizetype bytes) {
    const qsizetype needed = m_out.size() + bytes;
    if (m_out.capacity() < needed)
        m_out.reserve(std::max(needed, m_out.capacity() * 2));
}

void JsonWriter::string(QStringView text) {
    // Worst case: every UTF-16 unit becomes a six-byte \uXXXX escape.
    const qsizetype oldSize = m_out.size();
    reserveMore(text.size() * 6 + 2);
    m_out.resize(oldSize + text.size() * 6 + 2);
    char* const begin = m_out.data() + oldSize;
    char* p = begin;
    *p++ = '"';
    const char16_t* s = text.utf16();
    const char16_t* const end = s + text.size();
    while (s < end) {
        const char16_t c = *s++;
        if (c < 0x80) {
            if (c >= 0x20 && c != '"' && c != '\\') {
                *p++ = char(c);
                continue;
            }
            *p++ = '\\';
            switch (c) {
            case '"':
                *p++ = '"';
                break;
            case '\\':
                *p++ = '\\';
                break;
            case '\n':
                *p++ = 'n';
                break;
            case '\r':
                *p++ = 'r';
                break;
            case '\t':
                *p++ = 't';
                break;
            case '\b':
                *p++ = 'b';
                break;
            case '\f':
                *p++ = 'f';
                break;
            default:
                p = writeUnicodeEscape(p - 1, c);
                break;
            }
        } else if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
            *p++ = char(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && s < end && *s >= 0xDC00 && *s <= 0xDFFF) {
                const char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (*s++ - 0xDC00);
                *p++ = char(0xF0 | (cp >> 18));
                *p++ = char(0x80 | ((cp >> 12) & 0x3F));
                *p++ = char(0x80 | ((cp >> 6) & 0x3F));
                *p++ = char(0x80 | (cp & 0x3F));
            } else {
                // A lone surrogate has no UTF-8 form; the escape keeps it intact.
                p = writeUnicodeEscape(p, c);
            }
        } else {
            *p++ = char(0xE0 | (c >> 12));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
            *p++ = char(0x80 | (c & 0x3F));
        }
    }
    *p++ = '"';
    m_out.resize(oldSize + (p - begin));
}

void JsonWriter::asciiString(QByteArrayView text) {
    m_out.append('"');
    m_out.append(text);
    m_out.append('"');
}

void JsonWriter::number(double value) {
    if (!std::isfinite(value))
        throw ProtocolError(QStringLiteral("%1 cannot travel as a JSON number").arg(value));
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_out.append(buffer, result.ptr - buffer);
}

bool quotedIsoDate(QDate date, char (&text)[12]) {
    const int year = date.year();
    if (!date.isValid() || year < 0 || year > 9999)
        return false;
    const int month = date.month();
    const int day = date.day();
    const char digits[12] = {'"',
                             char('0' + year / 1000),
                             char('0' + year / 100 % 10),
                             char('0' + year / 10 % 10),
                             char('0' + year % 10),
                             '-',
                             char('0' + month / 10),
                             char('0' + month % 10),
                             '-',
                             char('0' + day / 10),
                             char('0' + day % 10),
                             '"'};
    std::copy(std::begin(digits), std::end(digits), text);
    return true;
}

void JsonWriter::date(QDate date) {
    char text[12];
    if (!quotedIsoDate(date, text))
        throw ProtocolError(QStringLiteral("the date %1 cannot travel as YYYY-MM-DD")
                                .arg(date.toString(Qt::ISODate)));
    m_out.append(text, sizeof text);
}

void JsonWriter::value(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        raw("null");
        break;
    case QJsonValue::Bool:
        raw(value.toBool() ? "true" : "false");
        break;
    case QJsonValue::Double:
        if (value.toDouble() == double(value.toInteger()))
            raw(QByteArray::number(value.toInteger()));
        else
            number(value.toDouble());
        break;
    case QJsonValue::String:
        string(value.toString());
        break;
    case QJsonValue::Array:
        raw(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
        break;
    case QJsonValue::Object:
        raw(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
        break;
    }
}

} // namespace ciap
