#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace ciap::server {

// How codes are spelled in storage: company and tax codes two characters and asset numbers
// ten, left-padded with '0' (what the screen's Ajusta produces), sequence numbers ten digits.
class Keys final {
public:
    static constexpr int CompanyWidth = 2;
    static constexpr int TaxWidth = 2;
    static constexpr int AssetWidth = 10;
    static constexpr int RegistrationWidth = 16;
    static constexpr int SequenceWidth = 10;

    // Trimmed and left-padded; nullopt when longer than the width after trimming.
    static std::optional<QString> pad(const QString& code, int width);
    static QString formatSequence(qint64 number);                    // "0000000042"
    static std::optional<qint64> parseSequence(const QString& text); // "42" or "0000000042"
    static QString locate(qint64 sequence);                          // "C0000000042"
    // The stored spelling of a registration: equal ignoring case and surrounding blanks.
    static std::optional<QString> matchRegistration(const QStringList& stored,
                                                    const QString& typed);
};

} // namespace ciap::server
