#pragma once

#include "DataPacket.h"
#include "PacketSink.h"

#include <QStringDecoder>
#include <QStringView>
#include <QVariant>
#include <cstdint>
#include <span>
#include <vector>

// One stored row of a client data set, packed into a single shared, immutable allocation:
// a null bitmap, one 8-byte slot per field (double, Julian day, or offset/length of a string)
// and the UTF-16 text of the string fields. A QVariantList per row costs about three times as
// much (32-byte variants plus one heap block per string), which large grids cannot afford.
// Copies share the allocation; the data set only runs on the user-interface thread, so the
// reference count is plain.
class PackedRow final {
public:
    using Defs = std::span<const ciap::FieldDef>;

    PackedRow() = default;
    PackedRow(const PackedRow& other);
    PackedRow(PackedRow&& other) noexcept;
    PackedRow& operator=(const PackedRow& other);
    PackedRow& operator=(PackedRow&& other) noexcept;
    ~PackedRow();

    // Values must already be in their stored form (see coerce); missing trailing values
    // are null.
    static PackedRow pack(Defs defs, const QVariantList& values);
    // The same from pointers to the values (nullptr: null), so that values already in their
    // stored form are packed without copying them first.
    static PackedRow pack(Defs defs, std::span<const QVariant* const> values);
    static bool isStoredForm(const ciap::FieldDef& def, const QVariant& value);
    // Packs packet rows: field i takes column columns[i] (-1: null); the packet's rows are
    // released afterwards. Throws EHostError (from coerce) on a value that does not convert.
    static std::vector<PackedRow> packRows(Defs defs, const std::vector<int>& columns,
                                           QList<QVariantList>&& rows);
    // Turns a value into the stored form of the field: QString (cut to the size), double or
    // QDate; null stays an invalid QVariant. Throws EHostError for a text that is not a
    // number or date.
    static QVariant coerce(const ciap::FieldDef& def, const QVariant& value);

    // Packs the rows a decoder hands over (fields' types already checked), without a QVariant
    // per value; strings are cut to their field's size as coerce() cuts them.
    class CellPacker final {
    public:
        explicit CellPacker(Defs defs);
        PackedRow pack(std::span<const ciap::PacketCell> cells);

    private:
        Defs m_defs;
        std::vector<char16_t> m_text;       // the row's texts in UTF-16, one after the other
        std::vector<std::uint64_t> m_spans; // per field: offset | length << 32 in m_text
        QStringDecoder m_decoder;
    };

    bool isValid() const { return m_data != nullptr; }
    bool sharesWith(const PackedRow& other) const { return m_data == other.m_data; }
    int fieldCount() const;
    bool isNull(int field) const;
    QVariant value(Defs defs, int field) const;
    QVariantList values(Defs defs) const;
    QStringView stringAt(int field) const; // string fields only
    double floatAt(int field) const;       // float fields only
    std::int64_t dayAt(int field) const;   // datetime fields only: Julian day
    std::size_t byteSize() const;          // allocated bytes, for memory accounting

private:
    struct Data;
    explicit PackedRow(Data* data)
        : m_data(data) {}
    void release();
    const std::uint64_t* slot(int field) const;

    Data* m_data = nullptr;
};
