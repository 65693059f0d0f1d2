#pragma once

#include "RowStore.h"
#include "TClientDataSet.h"

// What the data set's two sources share and its header keeps out of sight.

struct TClientDataSet::Private {
    RowStore store;
    QList<ciap::FieldDef> defs;
    QVariantList buffer;         // the row being edited or inserted
    int cursor = -1;             // stored row under the cursor; -1 when empty
    int insertRow = -1;          // visible position of the pending row in insert state
    int cursorBeforeInsert = -1; // where cancelling an insert returns
    int displayRow = -1;         // DisplayRowScope override
    bool bof = true;
    bool eof = true;
    bool fieldsFromPacket = false;
    quint64 resets = 0; // counts wholesale row replacements

    // The last post, for as long as nothing else happened, so that a post whose sending
    // failed can be taken back (ReopenPost).
    struct LastPost {
        bool valid = false;
        bool inserted = false;
        int row = -1;
        int cursorBeforeInsert = -1;
        quint64 resets = 0;
        RowStore::Entry previous; // the edited row's entry before the post
    } lastPost;

    PackedRow::Defs span() const { return {defs.constData(), std::size_t(defs.size())}; }
};

inline bool isEditing(DataSetState state) {
    return state == DataSetState::Edit || state == DataSetState::Insert;
}
