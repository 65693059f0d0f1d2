#include "DocumentError.h"

namespace ciap::documents {

const char* codeName(Refusal code) {
    switch (code) {
    case Refusal::Unreadable:
        return "unreadable_file";
    case Refusal::TooLarge:
        return "too_large";
    case Refusal::MalformedXml:
        return "malformed_xml";
    case Refusal::DtdForbidden:
        return "dtd_forbidden";
    case Refusal::NotFiscalDocument:
        return "not_fiscal_document";
    case Refusal::UnsupportedVersion:
        return "unsupported_version";
    case Refusal::UnsupportedEvent:
        return "unsupported_event";
    case Refusal::MissingElement:
        return "missing_element";
    case Refusal::BadNumber:
        return "bad_number";
    case Refusal::BadValue:
        return "bad_value";
    case Refusal::BadKey:
        return "bad_key";
    case Refusal::KeyMismatch:
        return "key_mismatch";
    case Refusal::NotAuthorised:
        return "not_authorised";
    case Refusal::TestEnvironment:
        return "test_environment";
    }
    return "unknown";
}

DocumentError::DocumentError(Refusal code, const QString& text, qint64 line, qint64 column)
    : m_code(code)
    , m_text(line <= 0 ? text
             : column <= 0
                 ? QStringLiteral("%1 (linha %2)").arg(text).arg(line)
                 : QStringLiteral("%1 (linha %2, coluna %3)").arg(text).arg(line).arg(column))
    , m_line(line)
    , m_column(column)
    , m_what(m_text.toUtf8()) {}

} // namespace ciap::documents
