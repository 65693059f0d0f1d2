#include "TClientDataSet.h"

#include "HostErrors.h"
#include "TClientDataSetPrivate.h"

#include <algorithm>

// Structure, opening and closing, the cursor and the reads of rows; editing and the change log
// are in TClientDataSetEditing.cpp.

namespace {

const char* const openText = "Não é possível executar esta operação em um conjunto de dados aberto";
const char* const notEditingText = "Conjunto de dados não está em modo de edição";
const char* const noFieldsText = "Conjunto de dados sem campos definidos";
const char* const recordNotFoundText = "Registro não encontrado";

} // namespace

TClientDataSet::TClientDataSet(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Private>()) {}

TClientDataSet::~TClientDataSet() = default;

// ---- structure ----

TField* TClientDataSet::AddField(const ciap::FieldDef& def) {
    if (Active())
        throw EHostError(QString::fromUtf8(openText));
    if (d->fieldsFromPacket) {
        m_fields.clear();
        d->defs.clear();
        d->fieldsFromPacket = false;
    }
    m_fields.push_back(std::make_unique<TField>(this, int(m_fields.size()), def));
    d->defs.append(def);
    return m_fields.back().get();
}

void TClientDataSet::ClearFields() {
    if (Active())
        throw EHostError(QString::fromUtf8(openText));
    m_fields.clear();
    d->defs.clear();
    d->fieldsFromPacket = false;
}

int TClientDataSet::FieldCount() const {
    return int(m_fields.size());
}

TField* TClientDataSet::FindField(const QString& name) const {
    for (const auto& field : m_fields)
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    return nullptr;
}

TField* TClientDataSet::FieldByName(const QString& name) const {
    if (TField* field = FindField(name))
        return field;
    throw EHostError(QStringLiteral("Campo '%1' não encontrado").arg(name));
}

QList<ciap::FieldDef> TClientDataSet::FieldDefs() const {
    return d->defs;
}

// ---- opening and closing ----

void TClientDataSet::CreateDataSet() {
    if (m_fields.empty())
        throw EHostError(QString::fromUtf8(noFieldsText));
    fire(BeforeOpen);
    replaceRows(d->defs, d->fieldsFromPacket, {});
    fire(AfterOpen);
}

void TClientDataSet::SetData(const ciap::DataPacket& packet) {
    SetData(ciap::DataPacket(packet));
}

void TClientDataSet::SetData(ciap::DataPacket&& packet) {
    fire(BeforeOpen);

    // Declared fields take the packet's columns by name; without declared fields the packet
    // brings its own. The rows are converted before anything is replaced, so a bad value
    // leaves the data set as it was.
    const bool fromPacket = m_fields.empty() || d->fieldsFromPacket;
    QList<ciap::FieldDef> defs = fromPacket ? packet.fields : d->defs;
    std::vector<int> columns(std::size_t(defs.size()));
    for (int i = 0; i < defs.size(); ++i)
        columns[std::size_t(i)] = fromPacket ? i : packet.indexOf(defs.at(i).name);
    std::vector<PackedRow> rows = PackedRow::packRows({defs.constData(), std::size_t(defs.size())},
                                                      columns, std::move(packet.rows));

    replaceRows(std::move(defs), fromPacket, std::move(rows));
    fire(AfterOpen);
    if (Active() && !IsEmpty())
        fire(AfterScroll);
}

void TClientDataSet::SetData(const PackedPacket& packet) {
    fire(BeforeOpen);

    const bool fromPacket = m_fields.empty() || d->fieldsFromPacket;
    QList<ciap::FieldDef> defs = fromPacket ? packet.fields : d->defs;
    const auto sameField = [&](qsizetype i) {
        const ciap::FieldDef& a = defs.at(i);
        const ciap::FieldDef& b = packet.fields.at(i);
        return a.type == b.type && a.size == b.size &&
               a.name.compare(b.name, Qt::CaseInsensitive) == 0;
    };
    bool same = defs.size() == packet.fields.size();
    for (qsizetype i = 0; same && i < defs.size(); ++i)
        same = sameField(i);
    std::vector<PackedRow> rows;
    if (same) {
        rows = packet.rows; // shared with the packet, not copied
    } else {
        ciap::DataPacket values = packet.toDataPacket();
        std::vector<int> columns(std::size_t(defs.size()));
        for (int i = 0; i < defs.size(); ++i)
            columns[std::size_t(i)] = values.indexOf(defs.at(i).name);
        rows = PackedRow::packRows({defs.constData(), std::size_t(defs.size())}, columns,
                                   std::move(values.rows));
    }

    replaceRows(std::move(defs), fromPacket, std::move(rows));
    fire(AfterOpen);
    if (Active() && !IsEmpty())
        fire(AfterScroll);
}

void TClientDataSet::SetData(const QVariant& packet) {
    if (packet.metaType() == QMetaType::fromType<PackedPacket>()) {
        SetData(*static_cast<const PackedPacket*>(packet.constData()));
        return;
    }
    if (packet.metaType() != QMetaType::fromType<ciap::DataPacket>())
        throw EHostError(QStringLiteral("Os dados recebidos não são um pacote de dados"));
    SetData(packet.value<ciap::DataPacket>());
}

void TClientDataSet::replaceRows(QList<ciap::FieldDef> defs, bool fieldsFromPacket,
                                 std::vector<PackedRow>&& rows) {
    Q_EMIT aboutToReset();
    if (fieldsFromPacket && (defs != d->defs || m_fields.empty())) {
        m_fields.clear();
        for (int i = 0; i < defs.size(); ++i)
            m_fields.push_back(std::make_unique<TField>(this, i, defs.at(i)));
    }
    d->defs = std::move(defs);
    d->fieldsFromPacket = fieldsFromPacket;
    d->store.reset(std::move(rows));
    d->buffer.clear();
    d->insertRow = -1;
    d->cursor = d->store.size() > 0 ? 0 : -1;
    d->bof = true;
    d->eof = d->store.size() == 0;
    ++d->resets;
    const DataSetState previous = m_state;
    m_state = DataSetState::Browse;
    m_modified = false;
    Q_EMIT dataReset();
    Q_EMIT currentRowChanged(d->cursor);
    if (previous != m_state)
        Q_EMIT stateChanged();
}

void TClientDataSet::Close() {
    if (!Active())
        return;
    fire(BeforeClose);
    // A pending edit is dropped, not posted: closing never writes.
    Q_EMIT aboutToReset();
    d->store.clear();
    d->buffer.clear();
    d->cursor = -1;
    d->insertRow = -1;
    d->bof = d->eof = true;
    ++d->resets;
    m_state = DataSetState::Inactive;
    m_modified = false;
    Q_EMIT dataReset();
    Q_EMIT currentRowChanged(-1);
    Q_EMIT stateChanged();
    fire(AfterClose);
}

void TClientDataSet::EmptyDataSet() {
    checkActive();
    Cancel();
    Q_EMIT aboutToReset();
    d->store.clear();
    d->cursor = -1;
    d->bof = d->eof = true;
    ++d->resets;
    Q_EMIT dataReset();
    Q_EMIT currentRowChanged(-1);
}

// ---- state and cursor ----

bool TClientDataSet::IsEmpty() const {
    return RecordCount() == 0 && m_state != DataSetState::Insert;
}

int TClientDataSet::RecordCount() const {
    return Active() ? d->store.size() : 0;
}

int TClientDataSet::RecNo() const {
    if (m_state == DataSetState::Insert)
        return -1;
    return Active() ? d->cursor + 1 : 0;
}

int TClientDataSet::currentRow() const {
    if (!Active())
        return -1;
    return m_state == DataSetState::Insert ? d->insertRow : d->cursor;
}

int TClientDataSet::visibleRowCount() const {
    return RecordCount() + (m_state == DataSetState::Insert ? 1 : 0);
}

int TClientDataSet::storedIndex(int visibleRow) const {
    if (m_state == DataSetState::Insert && visibleRow >= d->insertRow)
        return visibleRow == d->insertRow ? -1 : visibleRow - 1;
    return visibleRow;
}

void TClientDataSet::moveCursor(int row) {
    d->lastPost.valid = false;
    d->cursor = row;
    d->bof = d->eof = false;
    Q_EMIT currentRowChanged(row);
}

void TClientDataSet::First() {
    checkActive();
    checkBrowseMode();
    fire(BeforeScroll);
    if (d->store.size() > 0)
        moveCursor(0);
    d->bof = true;
    d->eof = d->store.size() == 0;
    fire(AfterScroll);
}

void TClientDataSet::Last() {
    checkActive();
    checkBrowseMode();
    fire(BeforeScroll);
    if (d->store.size() > 0)
        moveCursor(d->store.size() - 1);
    d->eof = true;
    d->bof = d->store.size() == 0;
    fire(AfterScroll);
}

void TClientDataSet::Next() {
    checkActive();
    checkBrowseMode();
    fire(BeforeScroll);
    if (d->cursor + 1 < d->store.size()) {
        moveCursor(d->cursor + 1);
        fire(AfterScroll);
    } else {
        d->eof = true;
    }
}

void TClientDataSet::Prior() {
    checkActive();
    checkBrowseMode();
    fire(BeforeScroll);
    if (d->cursor > 0) {
        moveCursor(d->cursor - 1);
        fire(AfterScroll);
    } else {
        d->bof = true;
    }
}

bool TClientDataSet::Eof() const {
    return !Active() || d->eof;
}

bool TClientDataSet::Bof() const {
    return !Active() || d->bof;
}

void TClientDataSet::SetRecNo(int recNo) {
    checkActive();
    checkBrowseMode();
    if (recNo < 1 || recNo > d->store.size())
        throw EHostError(QString::fromUtf8(recordNotFoundText));
    if (recNo - 1 == d->cursor)
        return;
    fire(BeforeScroll);
    moveCursor(recNo - 1);
    fire(AfterScroll);
}

void TClientDataSet::moveToRow(int row) {
    checkActive();
    if (row == currentRow())
        return;
    if (row < 0 || row >= visibleRowCount())
        throw EHostError(QString::fromUtf8(recordNotFoundText));
    int target = storedIndex(row);
    if (isEditing(m_state)) {
        const int pendingRow = d->insertRow;
        const int rowsBefore = d->store.size();
        const quint64 resets = d->resets;
        checkBrowseMode();
        if (d->resets != resets)
            return; // the post reloaded the rows: the row asked for is gone
        if (pendingRow >= 0 && d->store.size() > rowsBefore && target >= pendingRow)
            ++target; // the posted row now sits before the target
    }
    if (target == d->cursor)
        return;
    fire(BeforeScroll);
    moveCursor(target);
    fire(AfterScroll);
}

bool TClientDataSet::Locate(const QString& fieldName, const QVariant& value, bool caseInsensitive) {
    checkActive();
    const TField* field = FieldByName(fieldName);
    checkBrowseMode();
    fire(BeforeScroll);

    ciap::FieldDef def = field->definition();
    def.size = 0; // compare the whole key, never a cut one
    QVariant key;
    try {
        key = PackedRow::coerce(def, value);
    } catch (const EHostError&) {
        return false; // a value that cannot be of the field's type matches no row
    }
    const int f = field->Index();
    const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString text = def.type == ciap::FieldType::String ? key.toString() : QString();
    const double number = key.toDouble();
    const qint64 day = key.toDate().toJulianDay();
    for (int r = 0; r < d->store.size(); ++r) {
        const PackedRow& row = d->store.at(r).current;
        bool match = false;
        if (row.isNull(f) || !key.isValid()) {
            match = row.isNull(f) && !key.isValid();
        } else {
            switch (def.type) {
            case ciap::FieldType::String:
                match = row.stringAt(f).compare(text, cs) == 0;
                break;
            case ciap::FieldType::Float:
                match = row.floatAt(f) == number;
                break;
            case ciap::FieldType::DateTime:
                match = row.dayAt(f) == day;
                break;
            }
        }
        if (match) {
            moveCursor(r);
            fire(AfterScroll);
            return true;
        }
    }
    return false;
}

// ---- row access ----

QVariant TClientDataSet::valueAt(int row, int fieldIndex) const {
    if (!Active() || fieldIndex < 0 || fieldIndex >= d->defs.size() || row < 0 ||
        row >= visibleRowCount())
        return {};
    if (isEditing(m_state) && row == currentRow())
        return d->buffer.value(fieldIndex);
    return d->store.at(storedIndex(row)).current.value(d->span(), fieldIndex);
}

QVariant TClientDataSet::oldValueAt(int row, int fieldIndex) const {
    if (!Active() || fieldIndex < 0 || fieldIndex >= d->defs.size() || row < 0 ||
        row >= visibleRowCount())
        return {};
    const int stored = storedIndex(row);
    if (stored < 0)
        return {};
    return d->store.at(stored).base.value(d->span(), fieldIndex);
}

QVariant TClientDataSet::fieldValue(int field) const {
    return valueAt(d->displayRow >= 0 ? d->displayRow : currentRow(), field);
}

QVariant TClientDataSet::oldFieldValue(int field) const {
    return oldValueAt(d->displayRow >= 0 ? d->displayRow : currentRow(), field);
}

void TClientDataSet::setFieldValue(int field, const QVariant& value) {
    if (!isEditing(m_state))
        throw EHostError(QString::fromUtf8(notEditingText));
    if (field < 0 || field >= d->defs.size())
        return;
    d->buffer[field] = PackedRow::coerce(d->defs.at(field), value);
    m_modified = true;
    Q_EMIT rowChanged(currentRow());
}

std::size_t TClientDataSet::memoryUsage() const {
    return sizeof(Private) + d->store.byteSize();
}

TClientDataSet::DisplayRowScope::DisplayRowScope(const TClientDataSet& dataSet, int row)
    : m_dataSet(dataSet)
    , m_previous(dataSet.d->displayRow) {
    dataSet.d->displayRow = row;
}

TClientDataSet::DisplayRowScope::~DisplayRowScope() {
    m_dataSet.d->displayRow = m_previous;
}
