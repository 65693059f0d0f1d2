#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QJsonValue>
#include <QStringView>

namespace ciap {

// Appends JSON text to a byte array without building a document first: large answers are
// written row by row. Strings are escaped so that any QString (lone surrogates included)
// reads back unchanged; numbers use the shortest text that reads back to the same double.
class JsonWriter final {
public:
    explicit JsonWriter(QByteArray& out)
        : m_out(out) {}

    void raw(char c) { m_out.append(c); }
    void raw(QByteArrayView text) { m_out.append(text); }
    void string(QStringView text);
    void asciiString(QByteArrayView text); // text known to need no escaping
    void number(double value);             // throws ProtocolError when not finite
    void date(QDate date);                 // "YYYY-MM-DD"; throws when outside years 0..9999
    void value(const QJsonValue& value);   // any JSON value, e.g. a request id
    void reserveMore(qsizetype bytes);

private:
    QByteArray& m_out;
};

// A date as its quoted JSON text, "\"YYYY-MM-DD\"" (12 bytes, no terminator); false when the
// date is invalid or outside years 0..9999. Shared by every writer of packets.
bool quotedIsoDate(QDate date, char (&text)[12]);

} // namespace ciap
