#include "JsonReader.h"

#include "FrameReader.h"
#include "PacketCodec.h"

#include <QJsonArray>
#include <QJsonObject>
#include <charconv>
#include <cmath>
#include <vector>

namespace ciap::json {

static_assert(FrameReader::Padding >= qsizetype(simdjson::SIMDJSON_PADDING),
              "frames must carry the padding simdjson reads past the end");

namespace {

// Texts up to this size share one parser per thread (its buffers stay); a larger one gets a
// parser of its own, so that an 11 MB answer does not leave 20 MB behind.
constexpr std::size_t SharedParserLimit = 1024 * 1024;

thread_local od::parser t_parser;
thread_local bool t_parserBusy = false;

QString describe(char c) {
    if (c >= 0x20 && c < 0x7F)
        return QStringLiteral("'%1'").arg(QChar::fromLatin1(c));
    return QStringLiteral("byte 0x%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
}

bool isBlank(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
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

QString containerName(char open) {
    return open == '[' || open == ']' ? QStringLiteral("an array") : QStringLiteral("an object");
}

struct Fault {
    qsizetype offset;
    QString what;
};

// The start of the first malformed UTF-8 sequence: the longest prefix that ends on a character
// boundary and is still valid, found by halving with simdjson's validator.
qsizetype firstInvalidUtf8(const char* text, qsizetype size) {
    qsizetype valid = 0;
    qsizetype invalid = size;
    while (invalid - valid > 1) {
        qsizetype middle = valid + (invalid - valid) / 2;
        while (middle > valid && (uchar(text[middle]) & 0xC0) == 0x80)
            --middle;
        if (middle == valid)
            break;
        if (simdjson::validate_utf8(text, std::size_t(middle)))
            valid = middle;
        else
            invalid = middle;
    }
    return valid;
}

// Where a text goes wrong that simdjson refused before walking it (its first pass, or the
// check that the root container is closed last): simdjson names the kind of fault, not where.
Fault locate(const char* text, qsizetype size, simdjson::error_code error) {
    if (error == simdjson::UTF8_ERROR)
        return {firstInvalidUtf8(text, size), QStringLiteral("the string is not valid UTF-8")};
    std::vector<char> open;
    qsizetype quote = -1;
    bool rootClosed = false;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = text[i];
        if (quote >= 0) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                quote = -1;
            else if (uchar(c) < 0x20)
                return {i, QStringLiteral("control character %1 inside a string").arg(describe(c))};
            continue;
        }
        if (rootClosed && !isBlank(c))
            return {i, QStringLiteral("unexpected %1 after the end of the value").arg(describe(c))};
        if (c == '"') {
            quote = i;
        } else if (c == '{' || c == '[') {
            open.push_back(c);
        } else if ((c == '}' || c == ']') && !open.empty()) {
            open.pop_back();
            rootClosed = open.empty();
        }
    }
    if (quote >= 0)
        return {quote, QStringLiteral("the string is not closed")};
    if (!open.empty())
        return {size, QStringLiteral("the text ends inside %1").arg(containerName(open.back()))};
    return {0, QString::fromUtf8(simdjson::error_message(error))};
}

// Why a number token does not read as a double, and where.
Fault numberFault(const char* start, const char* end, const char* base) {
    const char* p = start;
    if (p < end && *p == '-')
        ++p;
    if (p >= end)
        return {p - base, QStringLiteral("the text ends where a number was expected")};
    if (!isDigit(*p))
        return {p - base, QStringLiteral("expected a number, found %1").arg(describe(*p))};
    if (*p == '0' && p + 1 < end && isDigit(p[1]))
        return {p - base, QStringLiteral("a number must not start with 0 followed by digits")};
    while (p < end && isDigit(*p))
        ++p;
    if (p < end && *p == '.') {
        ++p;
        if (p >= end || !isDigit(*p))
            return {p - base, QStringLiteral("a digit must follow the decimal point")};
        while (p < end && isDigit(*p))
            ++p;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        if (p >= end || !isDigit(*p))
            return {p - base, QStringLiteral("a digit must follow the exponent")};
        while (p < end && isDigit(*p))
            ++p;
    }
    double value = 0;
    if (std::from_chars(start, p, value).ec == std::errc::result_out_of_range)
        return {start - base, QStringLiteral("the number is out of range for a double")};
    if (p < end && !isBlank(*p) && *p != ',' && *p != ']' && *p != '}')
        return {p - base, QStringLiteral("unexpected %1 in a number").arg(describe(*p))};
    return {start - base, QStringLiteral("malformed number")};
}

// A number that read as zero although its digits are not all zero: it underflowed.
bool underflowed(const char* start, const char* end) {
    for (const char* p = start; p < end && (isDigit(*p) || *p == '-' || *p == '.'); ++p) {
        if (*p >= '1' && *p <= '9')
            return true;
    }
    return false;
}

} // namespace

JsonReader::JsonReader(const QByteArray& text, const QString& emptyText) {
    std::size_t capacity = std::size_t(text.capacity());
    if (text.capacity() - text.size() >= qsizetype(simdjson::SIMDJSON_PADDING)) {
        m_begin = text.constData();
    } else {
        m_padded.reserve(text.size() + qsizetype(simdjson::SIMDJSON_PADDING));
        m_padded.append(text.constData(), text.size());
        m_begin = m_padded.constData();
        capacity = std::size_t(m_padded.capacity());
    }
    m_base = m_begin;
    m_end = m_begin + text.size();
    if (std::size_t(text.size()) <= SharedParserLimit && !t_parserBusy) {
        m_parser = &t_parser;
        m_sharedParser = t_parserBusy = true;
    } else {
        m_parser = &m_ownParser.emplace();
    }
    const auto blank = [&] {
        for (const char* p = m_begin; p < m_end; ++p) {
            if (!isBlank(*p))
                return false;
        }
        return true;
    };
    if (blank())
        throw ProtocolError(emptyText);
    iterate(capacity);
}

JsonReader::JsonReader(const char* base, const char* begin, const char* end,
                       const char* capacityEnd)
    : m_base(base)
    , m_begin(begin)
    , m_end(end) {
    m_parser = &m_ownParser.emplace();
    iterate(std::size_t(capacityEnd - begin));
}

JsonReader::~JsonReader() {
    if (m_sharedParser)
        t_parserBusy = false;
}

void JsonReader::iterate(std::size_t capacity) {
    const std::size_t size = std::size_t(m_end - m_begin);
    if (const auto error = m_parser->iterate(m_begin, size, capacity).get(m_document)) {
        const Fault fault = locate(m_begin, qsizetype(size), error);
        syntaxError(m_begin + fault.offset, fault.what);
    }
}

void JsonReader::syntaxError(const char* at, const QString& what) const {
    throw ProtocolError(
        QStringLiteral("invalid JSON at offset %1: %2").arg(offsetOf(at)).arg(what));
}

const char* JsonReader::location() {
    const char* at = nullptr;
    if (m_document.current_location().get(at) != simdjson::SUCCESS || at > m_end)
        return m_end;
    return at;
}

void JsonReader::failed(simdjson::error_code error, char close) {
    const char* at = location();
    if (at >= m_end || error == simdjson::INCOMPLETE_ARRAY_OR_OBJECT)
        syntaxError(m_end, QStringLiteral("the text ends inside %1").arg(containerName(close)));
    const char c = *at;
    const char* p = at;
    while (p > m_begin && isBlank(p[-1]))
        --p;
    const char previous = p > m_begin ? p[-1] : '\0';
    if ((c == ']' || c == '}') && previous == ',')
        syntaxError(at, QStringLiteral("a value is missing before %1").arg(describe(c)));
    if (close == ']') {
        if (previous == ',' || previous == '[')
            syntaxError(at, QStringLiteral("expected a value, found %1").arg(describe(c)));
        syntaxError(at, QStringLiteral("expected ',' or ']', found %1").arg(describe(c)));
    }
    if (previous == '{' || previous == ',')
        syntaxError(at, QStringLiteral("expected a member name, found %1").arg(describe(c)));
    if (previous == ':')
        syntaxError(at, QStringLiteral("expected a value, found %1").arg(describe(c)));
    syntaxError(at, QStringLiteral("expected ',', ':' or '}', found %1").arg(describe(c)));
}

std::optional<od::json_type> JsonReader::rootType() {
    od::json_type type;
    if (m_document.type().get(type))
        return std::nullopt;
    return type;
}

const char* JsonReader::rootStart() {
    const char* p = m_begin;
    while (p < m_end && isBlank(*p))
        ++p;
    return p;
}

od::object JsonReader::rootObject() {
    od::object object;
    if (const auto error = m_document.get_object().get(object)) {
        if (error != simdjson::INCOMPLETE_ARRAY_OR_OBJECT)
            failed(error, '}');
        const Fault fault = locate(m_begin, m_end - m_begin, error);
        syntaxError(m_begin + fault.offset, fault.what);
    }
    return object;
}

od::array JsonReader::rootArray() {
    od::array array;
    if (const auto error = m_document.get_array().get(array)) {
        if (error != simdjson::INCOMPLETE_ARRAY_OR_OBJECT)
            failed(error, ']');
        const Fault fault = locate(m_begin, m_end - m_begin, error);
        syntaxError(m_begin + fault.offset, fault.what);
    }
    return array;
}

void JsonReader::expectEnd() {
    const char* at = nullptr;
    if (m_document.current_location().get(at) == simdjson::SUCCESS && at < m_end)
        syntaxError(at,
                    QStringLiteral("unexpected %1 after the end of the value").arg(describe(*at)));
}

std::optional<od::json_type> JsonReader::notAValue(od::value& value) {
    const char* at = start(value);
    if (at >= m_end || *at == ',' || *at == ']' || *at == '}' || *at == ':') {
        const char* p = at;
        while (p > m_begin && isBlank(p[-1]))
            --p;
        if (at < m_end && p > m_begin && p[-1] == ',' && (*at == ']' || *at == '}'))
            syntaxError(at, QStringLiteral("a value is missing before %1").arg(describe(*at)));
        syntaxError(at, at < m_end ? QStringLiteral("expected a value, found %1").arg(describe(*at))
                                   : QStringLiteral("the text ends where a value was expected"));
    }
    return std::nullopt;
}

od::object JsonReader::object(od::value& value) {
    od::object object;
    if (const auto error = value.get_object().get(object))
        failed(error, '}');
    return object;
}

od::field JsonReader::member(simdjson::simdjson_result<od::field>&& member) {
    od::field field;
    if (const auto error = std::move(member).get(field))
        failed(error, '}');
    return field;
}

QString JsonReader::key(od::field& member, const char** quote) {
    *quote = member.key().raw() - 1;
    std::string_view utf8;
    if (member.unescaped_key().get(utf8) == simdjson::SUCCESS)
        return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    return unescape(*quote);
}

QString JsonReader::text(od::value& value) {
    std::string_view utf8;
    QString wide;
    if (string(value, &utf8, &wide))
        return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    return wide;
}

void JsonReader::badNumber(od::value& value) {
    const Fault fault = numberFault(start(value), m_end, m_base);
    syntaxError(m_base + fault.offset, fault.what);
}

void JsonReader::checkZero(od::value& value) {
    // Neither infinity nor a silent zero: the sender meant a value a double cannot hold.
    if (underflowed(start(value), m_end))
        syntaxError(start(value), QStringLiteral("the number is out of range for a double"));
}

void JsonReader::checkDepth(od::value& value, int depth) const {
    if (depth > MaxDepth)
        syntaxError(start(value), QStringLiteral("nesting deeper than %1 levels").arg(MaxDepth));
}

void JsonReader::validate(od::value& value, int depth) {
    walk(value, depth, false);
}

QJsonValue JsonReader::toJson(od::value& value, int depth) {
    return walk(value, depth, true);
}

// One walk for both: checking a value in full, and building it when asked.
QJsonValue JsonReader::walk(od::value& value, int depth, bool build) {
    checkDepth(value, depth);
    const std::optional<od::json_type> type = typeOf(value);
    if (!type)
        syntaxError(start(value),
                    QStringLiteral("expected a value, found %1").arg(describe(*start(value))));
    switch (*type) {
    case od::json_type::array: {
        QJsonArray array;
        for (auto e : this->array(value)) {
            od::value element = this->element(std::move(e));
            const QJsonValue item = walk(element, depth + 1, build);
            if (build)
                array.append(item);
        }
        return array;
    }
    case od::json_type::object: {
        QJsonObject object;
        for (auto m : this->object(value)) {
            od::field member = this->member(std::move(m));
            const char* quote = nullptr;
            const QString name = key(member, &quote);
            const QJsonValue item = walk(member.value(), depth + 1, build);
            if (build)
                object.insert(name, item);
        }
        return object;
    }
    case od::json_type::string: {
        std::string_view utf8;
        QString wide;
        const bool isUtf8 = string(value, &utf8, &wide);
        if (!build)
            return {};
        return isUtf8 ? QString::fromUtf8(utf8.data(), qsizetype(utf8.size())) : wide;
    }
    case od::json_type::number: {
        const double n = number(value);
        // Whole numbers as integers, as Qt's own reader keeps them (request ids).
        if (std::trunc(n) == n && std::abs(n) < 9007199254740992.0 && !(n == 0 && std::signbit(n)))
            return QJsonValue(qint64(n));
        return n;
    }
    case od::json_type::boolean: {
        bool b = false;
        if (value.get_bool().get(b))
            syntaxError(start(value), QStringLiteral("expected true or false"));
        return b;
    }
    case od::json_type::null:
        null(value);
        return QJsonValue(QJsonValue::Null);
    }
    return {};
}

// A string simdjson would not unescape, read again here: either one of its escapes is wrong,
// which is named, or it holds a lone surrogate, which is kept as the UTF-16 unit it is.
QString JsonReader::unescape(const char* quote) const {
    QString text;
    const char* p = quote + 1;
    for (;;) {
        const char* run = p;
        while (p < m_end && *p != '"' && *p != '\\')
            ++p;
        if (p > run)
            text.append(QString::fromUtf8(run, p - run));
        if (p >= m_end)
            syntaxError(quote, QStringLiteral("the string is not closed"));
        if (*p == '"')
            return text;
        const char e = p + 1 < m_end ? p[1] : '\0';
        switch (e) {
        case '"':
        case '\\':
        case '/':
            text.append(QChar::fromLatin1(e));
            break;
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
            int unit = 0;
            for (int i = 2; i < 6; ++i) {
                const int digit = p + i < m_end ? hexValue(p[i]) : -1;
                if (digit < 0)
                    syntaxError(p, QStringLiteral("\\u must be followed by four hexadecimal "
                                                  "digits"));
                unit = unit << 4 | digit;
            }
            text.append(QChar(char16_t(unit)));
            p += 4;
            break;
        }
        default:
            syntaxError(p, QStringLiteral("unknown escape \\%1").arg(describe(e)));
        }
        p += 2;
    }
}

} // namespace ciap::json
