#pragma once

#include <QByteArrayView>
#include <QString>

namespace ciap {

// A single-pass reader over JSON text that lets the caller walk a known shape without
// building a document. Every malformed input ends in a ProtocolError naming the offset;
// nesting is bounded so that hostile input cannot exhaust the stack.
class JsonScanner final {
public:
    static constexpr int MaxDepth = 256;

    // The bytes of one string between its quotes, as found in the text.
    struct RawString {
        QByteArrayView bytes;
        bool escaped = false; // holds backslash escapes
        bool ascii = true;    // every byte below 0x80
    };

    explicit JsonScanner(QByteArrayView text);

    qsizetype offset() const { return m_pos - m_begin; }
    void setOffset(qsizetype offset) { m_pos = m_begin + offset; }
    char peek();         // next significant byte, 0 at the end
    void expect(char c); // throws unless the next significant byte is c
    bool consumeNull();  // skips the literal null when it is next
    // Inside an array or object: true when another element follows (after its ',');
    // false after the closing bracket.
    bool more(bool first, char close);

    RawString scanString(); // throws unless a well-formed string is next
    QString decode(const RawString& raw) const;
    QString readString() { return decode(scanString()); }
    QString readKey(); // a member name and its ':'

    double readNumber();
    void skipValue();
    // Skips an object or array checking only that brackets balance outside strings: for text
    // that a stricter reader goes through afterwards anyway.
    void skipContainerLoosely();
    void expectEnd(); // only white space may follow

    [[noreturn]] void fail(const QString& what) const;
    [[noreturn]] void failAt(qsizetype offset, const QString& what) const;

private:
    void skipWs() {
        while (m_pos < m_end &&
               (*m_pos == ' ' || *m_pos == '\n' || *m_pos == '\r' || *m_pos == '\t'))
            ++m_pos;
    }
    void skipValue(int depth);
    void expectLiteral(const char* literal);

    const char* m_begin;
    const char* m_pos;
    const char* m_end;
};

} // namespace ciap
