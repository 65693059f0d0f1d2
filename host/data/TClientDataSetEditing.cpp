#include "TClientDataSet.h"

#include "HostErrors.h"
#include "TClientDataSetPrivate.h"

#include <algorithm>

// The editing states (insert, edit, post, cancel, delete) and the change log they write.

namespace {

const char* const closedText =
    "Não é possível executar esta operação em um conjunto de dados fechado";
const char* const emptyText = "Não é possível executar esta operação em um conjunto de dados vazio";

} // namespace

// ---- editing ----

void TClientDataSet::checkActive() const {
    if (!Active())
        throw EHostError(QString::fromUtf8(closedText));
}

void TClientDataSet::checkBrowseMode() {
    if (!isEditing(m_state))
        return;
    if (m_modified)
        Post();
    else
        Cancel();
}

void TClientDataSet::fire(const DataSetEvent& event) {
    if (event)
        event(*this);
}

void TClientDataSet::Insert() {
    beginInsert(false);
}

void TClientDataSet::Append() {
    beginInsert(true);
}

void TClientDataSet::beginInsert(bool append) {
    checkActive();
    checkBrowseMode();
    d->lastPost.valid = false;
    fire(BeforeInsert);
    fire(BeforeScroll);

    const int row = append ? d->store.size() : std::max(d->cursor, 0);
    Q_EMIT rowAboutToBeInserted(row);
    d->cursorBeforeInsert = d->cursor;
    d->buffer = QVariantList(d->defs.size());
    d->insertRow = row;
    m_state = DataSetState::Insert;
    m_modified = false;
    Q_EMIT rowInserted(row);
    Q_EMIT currentRowChanged(row);
    Q_EMIT stateChanged();
    try {
        fire(OnNewRecord);
    } catch (...) {
        // the new row never existed
        Q_EMIT rowAboutToBeRemoved(row);
        d->buffer.clear();
        d->insertRow = -1;
        d->cursor = d->cursorBeforeInsert;
        m_state = DataSetState::Browse;
        m_modified = false;
        Q_EMIT rowRemoved(row);
        Q_EMIT currentRowChanged(d->cursor);
        Q_EMIT stateChanged();
        throw;
    }
    m_modified = false;
    fire(AfterInsert);
    fire(AfterScroll);
}

void TClientDataSet::Edit() {
    checkActive();
    if (isEditing(m_state))
        return;
    if (d->store.size() == 0) {
        Append();
        return;
    }
    d->lastPost.valid = false;
    fire(BeforeEdit);
    d->buffer = d->store.at(d->cursor).current.values(d->span());
    m_state = DataSetState::Edit;
    m_modified = false;
    Q_EMIT stateChanged();
    fire(AfterEdit);
}

void TClientDataSet::Post() {
    checkActive();
    if (!isEditing(m_state))
        return;
    fire(BeforePost);
    if (!isEditing(m_state))
        return; // the handler ended the edit itself

    int row;
    Private::LastPost post;
    post.valid = true;
    post.resets = d->resets;
    if (m_state == DataSetState::Insert) {
        row = d->insertRow;
        post.inserted = true;
        post.cursorBeforeInsert = d->cursorBeforeInsert;
        d->store.insert(row, PackedRow::pack(d->span(), d->buffer), LogChanges);
        d->cursor = row;
        d->insertRow = -1;
    } else {
        row = d->cursor;
        post.previous = d->store.at(row);
        // An unchanged row is not logged: there is nothing to send.
        if (d->buffer != d->store.at(row).current.values(d->span()))
            d->store.update(row, PackedRow::pack(d->span(), d->buffer), LogChanges);
    }
    d->buffer.clear();
    d->bof = d->eof = false;
    m_state = DataSetState::Browse;
    m_modified = false;
    post.row = row;
    d->lastPost = std::move(post);
    Q_EMIT rowChanged(row);
    Q_EMIT stateChanged();
    fire(AfterPost);
}

bool TClientDataSet::ReopenPost() {
    Private::LastPost& post = d->lastPost;
    if (!post.valid || m_state != DataSetState::Browse || post.resets != d->resets ||
        post.row < 0 || post.row >= d->store.size() || d->cursor != post.row ||
        (post.inserted && d->store.at(post.row).status != RowStore::Status::Inserted))
        return false;
    post.valid = false;
    const int row = post.row;
    d->buffer = d->store.at(row).current.values(d->span());
    if (post.inserted) {
        // Still the same visible row: out of the stored rows, back as the pending one.
        d->store.remove(row, false);
        d->insertRow = row;
        d->cursorBeforeInsert = post.cursorBeforeInsert;
        m_state = DataSetState::Insert;
    } else {
        d->store.restore(row, std::move(post.previous));
        m_state = DataSetState::Edit;
    }
    m_modified = true;
    Q_EMIT rowChanged(row);
    Q_EMIT currentRowChanged(row);
    Q_EMIT stateChanged();
    return true;
}

void TClientDataSet::Cancel() {
    if (!isEditing(m_state))
        return;
    fire(BeforeCancel);
    if (!isEditing(m_state))
        return;
    const bool inserting = m_state == DataSetState::Insert;
    const int row = inserting ? d->insertRow : d->cursor;
    if (inserting)
        Q_EMIT rowAboutToBeRemoved(row);
    d->buffer.clear();
    m_state = DataSetState::Browse;
    m_modified = false;
    if (inserting) {
        d->insertRow = -1;
        d->cursor = std::min(d->cursorBeforeInsert, d->store.size() - 1);
        Q_EMIT rowRemoved(row);
        Q_EMIT currentRowChanged(d->cursor);
    } else {
        Q_EMIT rowChanged(row);
    }
    Q_EMIT stateChanged();
    fire(AfterCancel);
}

void TClientDataSet::Delete() {
    checkActive();
    if (m_state == DataSetState::Insert) {
        Cancel();
        return;
    }
    if (d->store.size() == 0)
        throw EHostError(QString::fromUtf8(emptyText));
    d->lastPost.valid = false;
    fire(BeforeDelete);
    fire(BeforeScroll);

    const int row = d->cursor;
    const bool wasEditing = m_state == DataSetState::Edit;
    Q_EMIT rowAboutToBeRemoved(row);
    d->store.remove(row, LogChanges);
    d->buffer.clear();
    m_state = DataSetState::Browse;
    m_modified = false;
    d->cursor = std::min(row, d->store.size() - 1); // the next row; the previous after the last
    d->bof = d->eof = d->store.size() == 0;
    Q_EMIT rowRemoved(row);
    Q_EMIT currentRowChanged(d->cursor);
    if (wasEditing)
        Q_EMIT stateChanged();
    fire(AfterDelete);
    fire(AfterScroll);
}

// ---- change log ----

int TClientDataSet::ChangeCount() const {
    return d->store.changeCount();
}

ciap::Delta TClientDataSet::Delta() const {
    return d->store.delta(d->span());
}

QVariant TClientDataSet::DeltaVariant() const {
    return QVariant::fromValue(Delta());
}

void TClientDataSet::MergeChangeLog() {
    d->lastPost.valid = false;
    d->store.merge();
}

void TClientDataSet::CancelUpdates() {
    if (!Active())
        return;
    Cancel();
    d->lastPost.valid = false;
    Q_EMIT aboutToReset();
    d->store.cancelUpdates();
    d->cursor = d->store.size() == 0 ? -1 : std::clamp(d->cursor, 0, d->store.size() - 1);
    d->bof = d->eof = d->store.size() == 0;
    ++d->resets;
    Q_EMIT dataReset();
    Q_EMIT currentRowChanged(d->cursor);
    if (!IsEmpty())
        fire(AfterScroll);
}
