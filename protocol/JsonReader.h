#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <optional>
#include <simdjson.h>
#include <string_view>

namespace ciap::json {

namespace od = simdjson::ondemand;

// What the protocol's readers share around simdjson's On-Demand API: the padded input, the
// document, and errors that name the byte offset where the text goes wrong (simdjson tells
// the kind of a fault; where it is, in the words the rest of the protocol uses, is told here).
// On-Demand checks only what is read, so whatever a reader does not need goes through
// validate(): what is accepted must be JSON throughout. Only the protocol's sources include
// this header.
class JsonReader final {
public:
    static constexpr int MaxDepth = 256;

    // Runs simdjson's first pass over the whole text, which refuses malformed UTF-8, control
    // characters in strings and strings left open. Throws ProtocolError; a text that is empty
    // or blank is refused with emptyText.
    JsonReader(const QByteArray& text, const QString& emptyText);
    // A part of a text already read in full by another reader (offsets still count from the
    // start of that text, at base): bytes up to capacity are readable.
    JsonReader(const char* base, const char* begin, const char* end, const char* capacityEnd);
    ~JsonReader();
    JsonReader(const JsonReader&) = delete;
    JsonReader& operator=(const JsonReader&) = delete;

    od::document& document() { return m_document; }
    const char* base() const { return m_base; }
    const char* end() const { return m_end; }
    qsizetype offsetOf(const char* at) const { return at - m_base; }
    const char* location(); // the token the walk stands on; end() past the last one

    // The root value's type; nullopt when the text does not start with a JSON value.
    std::optional<od::json_type> rootType();
    const char* rootStart();
    od::object rootObject();
    od::array rootArray();
    void expectEnd(); // only white space may follow the root value

    // What a packet's every cell goes through is inline, its failures out of line.

    // A value's type; nullopt when the text there is no JSON value, which the caller names in
    // its own terms (a value that is missing altogether is a syntax error, thrown here).
    std::optional<od::json_type> typeOf(od::value& value) {
        od::json_type type;
        if (!value.type().get(type)) [[likely]]
            return type;
        return notAValue(value);
    }
    static const char* start(od::value& value) { return value.raw_json_token().data(); }
    od::array array(od::value& value) {
        od::array array;
        if (const auto error = value.get_array().get(array)) [[unlikely]]
            failed(error, ']');
        return array;
    }
    od::object object(od::value& value);
    // An element or member as a loop over an array or object gives it.
    od::value element(simdjson::simdjson_result<od::value>&& element) {
        od::value value;
        if (const auto error = std::move(element).get(value)) [[unlikely]]
            failed(error, ']');
        return value;
    }
    od::field member(simdjson::simdjson_result<od::field>&& member);
    // A member's name; *quote is where it starts.
    QString key(od::field& member, const char** quote);

    // A string value as UTF-8 when it has a UTF-8 form; false, with the text in *wide, when it
    // holds a lone surrogate (our writer escapes one rather than lose it; only UTF-16 holds it).
    bool string(od::value& value, std::string_view* utf8, QString* wide) {
        if (value.get_string().get(*utf8) == simdjson::SUCCESS) [[likely]]
            return true;
        *wide = unescape(start(value));
        return false;
    }
    QString text(od::value& value);
    // Refuses what a double cannot hold, zero included (a number that underflowed).
    double number(od::value& value) {
        double number = 0;
        if (value.get_double().get(number)) [[unlikely]]
            badNumber(value);
        if (number == 0) [[unlikely]]
            checkZero(value);
        return number;
    }
    void null(od::value& value) {
        bool isNull = false;
        if (value.is_null().get(isNull) || !isNull) [[unlikely]]
            syntaxError(start(value), QStringLiteral("expected null"));
    }
    void validate(od::value& value, int depth = 0);
    QJsonValue toJson(od::value& value, int depth = 0);

    [[noreturn]] void syntaxError(const char* at, const QString& what) const;
    // An error simdjson reported while walking a container that close (']' or '}') ends.
    [[noreturn]] void failed(simdjson::error_code error, char close);

private:
    void iterate(std::size_t capacity);
    std::optional<od::json_type> notAValue(od::value& value);
    [[noreturn]] void badNumber(od::value& value);
    void checkZero(od::value& value);
    QJsonValue walk(od::value& value, int depth, bool build);
    void checkDepth(od::value& value, int depth) const;
    QString unescape(const char* quote) const;

    QByteArray m_padded; // a copy, only when the caller's buffer has no room behind its end
    const char* m_base = nullptr;
    const char* m_begin = nullptr;
    const char* m_end = nullptr;
    od::parser* m_parser = nullptr;
    std::optional<od::parser> m_ownParser;
    bool m_sharedParser = false;
    od::document m_document;
};

} // namespace ciap::json
