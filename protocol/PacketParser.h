#pragma once

#include "DataPacket.h"
#include "JsonScanner.h"

#include <QByteArrayView>
#include <QDate>
#include <array>
#include <vector>

namespace ciap {

// Reads a data packet straight from its JSON text in one pass, without an intermediate
// document: large answers (100,000 rows) must cost little more than parsing the text.
// Identical short strings in a column share one QString so that repeated codes cost no memory.
class PacketParser final {
public:
    explicit PacketParser(QByteArrayView json);

    DataPacket parse(); // throws ProtocolError

private:
    static constexpr int CacheSlots = 64;
    static constexpr qsizetype CachedLength = 32;
    using StringCache = std::array<QString, CacheSlots>;

    QList<FieldDef> parseFields();
    FieldDef parseField(qsizetype index);
    void parseRows(DataPacket& packet);
    QVariant parseCell(const FieldDef& field, qsizetype column, qsizetype row);
    QString sharedString(qsizetype column, const JsonScanner::RawString& raw);
    // Well-formed JSON that is not a packet of the expected shape.
    [[noreturn]] void fail(const QString& what) const;
    [[noreturn]] void failAt(qsizetype offset, const QString& what) const;
    [[noreturn]] void failCell(const FieldDef& field, qsizetype row, const QString& what) const;

    JsonScanner m_scanner;
    std::vector<StringCache> m_caches;
};

} // namespace ciap
