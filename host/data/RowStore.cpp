#include "RowStore.h"

#include <algorithm>

void RowStore::reset(std::vector<PackedRow>&& rows) {
    clear();
    m_rows.reserve(rows.size());
    int ordinal = 0;
    for (PackedRow& row : rows) {
        Entry entry;
        entry.base = row;
        entry.current = std::move(row);
        entry.ordinal = ordinal++;
        m_rows.push_back(std::move(entry));
    }
    rows.clear();
}

void RowStore::clear() {
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_deleted.clear();
    m_nextSequence = 1;
    m_changes = 0;
}

void RowStore::insert(int row, PackedRow values, bool log) {
    Entry entry;
    // An unlogged row sorts right after its predecessor when updates are cancelled.
    entry.ordinal = row > 0 ? m_rows[std::size_t(row - 1)].ordinal : -1;
    if (log) {
        entry.status = Status::Inserted;
        entry.sequence = m_nextSequence++;
        ++m_changes;
    } else {
        entry.base = values;
    }
    entry.current = std::move(values);
    m_rows.insert(m_rows.begin() + row, std::move(entry));
}

void RowStore::update(int row, PackedRow values, bool log) {
    Entry& entry = m_rows[std::size_t(row)];
    if (entry.status == Status::Unchanged) {
        if (log) {
            entry.status = Status::Modified;
            entry.sequence = m_nextSequence++;
            ++m_changes;
        } else {
            entry.base = values;
        }
    }
    entry.current = std::move(values);
}

void RowStore::remove(int row, bool log) {
    Entry entry = std::move(m_rows[std::size_t(row)]);
    m_rows.erase(m_rows.begin() + row);
    switch (entry.status) {
    case Status::Inserted:
        // never reached the server: nothing to delete there
        --m_changes;
        return;
    case Status::Modified:
        if (!log) {
            --m_changes;
            return;
        }
        break;
    case Status::Unchanged:
        if (!log)
            return;
        ++m_changes;
        break;
    }
    entry.sequence = m_nextSequence++;
    m_deleted.push_back(std::move(entry));
}

void RowStore::restore(int row, Entry entry) {
    Entry& slot = m_rows[std::size_t(row)];
    m_changes += int(entry.status != Status::Unchanged) - int(slot.status != Status::Unchanged);
    slot = std::move(entry);
}

ciap::Delta RowStore::delta(PackedRow::Defs defs) const {
    struct Item {
        std::uint64_t sequence;
        const Entry* entry;
        bool deleted;
    };
    std::vector<Item> items;
    items.reserve(std::size_t(m_changes));
    for (const Entry& e : m_rows)
        if (e.status != Status::Unchanged)
            items.push_back({e.sequence, &e, false});
    for (const Entry& e : m_deleted)
        items.push_back({e.sequence, &e, true});
    // In the order the changes were made: a row deleted and then inserted again with the
    // same key must reach the server in that order.
    std::sort(items.begin(), items.end(),
              [](const Item& a, const Item& b) { return a.sequence < b.sequence; });

    ciap::Delta delta;
    delta.fields = QList<ciap::FieldDef>(defs.begin(), defs.end());
    delta.changes.reserve(qsizetype(items.size()));
    for (const Item& item : items) {
        ciap::DeltaChange change;
        if (item.deleted) {
            change.status = ciap::ChangeStatus::Deleted;
            change.oldValues = item.entry->base.values(defs);
        } else if (item.entry->status == Status::Inserted) {
            change.status = ciap::ChangeStatus::Inserted;
            change.newValues = item.entry->current.values(defs);
        } else {
            change.status = ciap::ChangeStatus::Modified;
            change.oldValues = item.entry->base.values(defs);
            change.newValues = item.entry->current.values(defs);
        }
        delta.changes.append(std::move(change));
    }
    return delta;
}

void RowStore::merge() {
    int ordinal = 0;
    for (Entry& e : m_rows) {
        e.base = e.current;
        e.status = Status::Unchanged;
        e.sequence = 0;
        e.ordinal = ordinal++;
    }
    m_deleted.clear();
    m_changes = 0;
}

void RowStore::cancelUpdates() {
    std::vector<Entry> rows;
    rows.reserve(m_rows.size() + m_deleted.size());
    for (Entry& e : m_rows)
        if (e.status != Status::Inserted)
            rows.push_back(std::move(e));
    for (Entry& e : m_deleted)
        rows.push_back(std::move(e));
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Entry& a, const Entry& b) { return a.ordinal < b.ordinal; });
    int ordinal = 0;
    for (Entry& e : rows) {
        e.current = e.base;
        e.status = Status::Unchanged;
        e.sequence = 0;
        e.ordinal = ordinal++;
    }
    m_rows = std::move(rows);
    m_deleted.clear();
    m_changes = 0;
}

std::size_t RowStore::byteSize() const {
    std::size_t bytes = (m_rows.capacity() + m_deleted.capacity()) * sizeof(Entry);
    for (const std::vector<Entry>* list : {&m_rows, &m_deleted}) {
        for (const Entry& e : *list) {
            bytes += e.current.byteSize();
            if (e.base.isValid() && !e.base.sharesWith(e.current))
                bytes += e.base.byteSize();
        }
    }
    return bytes;
}
