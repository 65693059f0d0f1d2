#pragma once

#include <QString>
#include <exception>

namespace ciap::documents {

// Why a file was not read. The names (codeName) are stable: the importer stores and reports
// them, so a value keeps its name once released.
enum class Refusal {
    Unreadable,         // unreadable_file: the file cannot be opened or read
    TooLarge,           // too_large: above the size, depth or element-count limit
    MalformedXml,       // malformed_xml: not well-formed or truncated (line and column known)
    DtdForbidden,       // dtd_forbidden: a DOCTYPE, which no fiscal document carries
    NotFiscalDocument,  // not_fiscal_document: well-formed, but none of the documents read here
    UnsupportedVersion, // unsupported_version: a layout version other than those read here
    UnsupportedEvent,   // unsupported_event: an event other than the NF-e cancellation
    MissingElement,     // missing_element: a required element or attribute is absent or empty
    BadNumber,          // bad_number: a number not in the layout's format (decimals, signs, size)
    BadValue,           // bad_value: a date, code or other value outside its layout domain
    BadKey,             // bad_key: an access key malformed or with a wrong check digit
    KeyMismatch,        // key_mismatch: the key disagrees with the fields, the Id or the protocol
    NotAuthorised,      // not_authorised: no protocol, or a status that is not an authorisation
    TestEnvironment,    // test_environment: issued in the homologation environment (tpAmb 2)
};

const char* codeName(Refusal code);

// The refusal of one document: a stable code for machines and a text in Portuguese for the
// user. Line and column are those of the XML where known (0 otherwise).
class DocumentError : public std::exception {
public:
    DocumentError(Refusal code, const QString& text, qint64 line = 0, qint64 column = 0);

    Refusal code() const { return m_code; }
    QString text() const { return m_text; }
    qint64 line() const { return m_line; }
    qint64 column() const { return m_column; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    Refusal m_code;
    QString m_text;
    qint64 m_line;
    qint64 m_column;
    QByteArray m_what;
};

} // namespace ciap::documents
