#pragma once

#include "DataPacket.h"
#include "PackedRow.h"

#include <cstdint>
#include <vector>

// The rows of a client data set together with their change log. Every row keeps the values
// it had at the last merge (its base) beside its current values, so that the delta can carry
// the original values a server needs to find the row and detect concurrent changes.
class RowStore final {
public:
    enum class Status : std::uint8_t { Unchanged, Inserted, Modified };
    struct Entry {
        PackedRow current;
        PackedRow base;             // invalid for an inserted row
        std::uint64_t sequence = 0; // order of the logged change; 0 when none
        int ordinal = -1;           // position among the base rows, to restore the order
        Status status = Status::Unchanged;
    };

    // Replaces everything; the rows become the base and the log is empty.
    void reset(std::vector<PackedRow>&& rows);
    void clear();

    int size() const { return int(m_rows.size()); }
    const Entry& at(int row) const { return m_rows[std::size_t(row)]; }

    // With log false the change goes straight into the base (nothing to send).
    void insert(int row, PackedRow values, bool log);
    void update(int row, PackedRow values, bool log);
    void remove(int row, bool log);
    // Puts back an entry as it was before a change (taken with at()), log count included.
    void restore(int row, Entry entry);

    int changeCount() const { return m_changes; }
    ciap::Delta delta(PackedRow::Defs defs) const;
    void merge();
    void cancelUpdates(); // current rows back to their base, deleted rows back in place

    std::size_t byteSize() const; // rows and log, for memory accounting

private:
    std::vector<Entry> m_rows;
    std::vector<Entry> m_deleted; // base rows deleted since the last merge, in order
    std::uint64_t m_nextSequence = 1;
    int m_changes = 0;
};
