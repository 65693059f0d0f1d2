#include "DataSetModel.h"

#include "HostErrors.h"
#include "LocaleFormat.h"
#include "TClientDataSet.h"
#include "TDataSource.h"

#include <QDate>
#include <QtDebug>

DataSetModel::DataSetModel(TDataSource* source, QObject* parent)
    : QAbstractTableModel(parent)
    , m_source(source) {
    if (source)
        connect(source, &TDataSource::dataSetChanged, this, &DataSetModel::bind);
    bind();
}

DataSetModel::~DataSetModel() = default;

void DataSetModel::bind() {
    for (const QMetaObject::Connection& c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataSet = m_source ? m_source->DataSet() : nullptr;
    if (TClientDataSet* ds = m_dataSet) {
        m_connections = {
            connect(ds, &TClientDataSet::aboutToReset, this, &DataSetModel::onAboutToReset),
            connect(ds, &TClientDataSet::dataReset, this, &DataSetModel::resetFromDataSet),
            connect(ds, &TClientDataSet::rowAboutToBeInserted, this,
                    &DataSetModel::onRowAboutToBeInserted),
            connect(ds, &TClientDataSet::rowInserted, this, &DataSetModel::onRowInserted),
            connect(ds, &TClientDataSet::rowAboutToBeRemoved, this,
                    &DataSetModel::onRowAboutToBeRemoved),
            connect(ds, &TClientDataSet::rowRemoved, this, &DataSetModel::onRowRemoved),
            connect(ds, &TClientDataSet::rowChanged, this, &DataSetModel::onRowChanged),
        };
    }
    resetFromDataSet();
}

void DataSetModel::onAboutToReset() {
    if (m_pending != Pending::Reset) {
        beginResetModel();
        m_pending = Pending::Reset;
    }
}

void DataSetModel::resetFromDataSet() {
    if (m_pending != Pending::Reset)
        beginResetModel();
    m_pending = Pending::None;
    ++m_resets;
    resolveColumns();
    m_rowCount = m_dataSet ? m_dataSet->visibleRowCount() : 0;
    endResetModel();
}

void DataSetModel::resolveColumns() {
    m_columns.clear();
    m_fieldIndexes.clear();
    if (!m_requested.isEmpty()) {
        m_columns = m_requested;
        for (const Column& c : std::as_const(m_columns)) {
            const TField* field = m_dataSet ? m_dataSet->FindField(c.fieldName) : nullptr;
            m_fieldIndexes.push_back(field ? field->Index() : -1);
        }
        return;
    }
    if (!m_dataSet)
        return;
    for (const auto& field : m_dataSet->Fields()) {
        if (!field->Visible)
            continue;
        m_columns.append({field->FieldName(), QString(), 0});
        m_fieldIndexes.push_back(field->Index());
    }
}

void DataSetModel::setColumns(const QList<Column>& columns) {
    beginResetModel();
    m_requested = columns;
    resolveColumns();
    endResetModel();
}

TField* DataSetModel::fieldAt(int column) const {
    if (!m_dataSet || column < 0 || column >= int(m_fieldIndexes.size()))
        return nullptr;
    const int index = m_fieldIndexes[std::size_t(column)];
    const auto& fields = m_dataSet->Fields();
    return index >= 0 && index < int(fields.size()) ? fields[std::size_t(index)].get() : nullptr;
}

int DataSetModel::columnOf(const QString& fieldName) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int DataSetModel::columnWidth(int column) const {
    return column >= 0 && column < m_columns.size() ? m_columns.at(column).width : 0;
}

void DataSetModel::setEditingEnabled(bool enabled) {
    if (m_editingEnabled == enabled)
        return;
    m_editingEnabled = enabled;
    // flags() changed for every cell; views re-read them on repaint
    refreshDisplay();
}

void DataSetModel::refreshDisplay() {
    if (m_rowCount > 0 && !m_columns.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(m_rowCount - 1, int(m_columns.size()) - 1));
}

int DataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int DataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rowCount || !m_dataSet)
        return {};
    TField* field = fieldAt(index.column());
    if (!field)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const TClientDataSet::DisplayRowScope scope(*m_dataSet, index.row());
        try {
            return role == Qt::DisplayRole ? field->DisplayText() : field->Text();
        } catch (const std::exception& e) {
            // Painting cannot open dialogs (one per repaint of the cell): the failing text
            // handler is reported in the log and the cell stays empty.
            qWarning("%s: %s", qPrintable(field->FieldName()), e.what());
            return {};
        }
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(field->DataType() == ciap::FieldType::Float
                                                     ? Qt::AlignRight
                                                     : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    case RawValueRole:
        return m_dataSet->valueAt(index.row(), field->Index());
    default:
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        const Column& column = m_columns.at(section);
        if (!column.title.isEmpty())
            return column.title;
        const TField* field = fieldAt(section);
        return field ? field->DisplayName() : column.fieldName;
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    return {};
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_editingEnabled && fieldAt(index.column()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= m_rowCount || !m_dataSet ||
        !m_editingEnabled || !fieldAt(index.column()))
        return false;
    QString text;
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        text = dateToStr(value.toDate());
        break;
    case QMetaType::Double:
        text = floatToStr(value.toDouble());
        break;
    default:
        text = value.toString();
        break;
    }
    const QString fieldName = m_columns.at(index.column()).fieldName;
    const int row = index.row();
    bool applied = false;
    const bool ok = runGuarded([&] {
        TClientDataSet* ds = m_dataSet;
        const quint64 resets = m_resets;
        ds->moveToRow(row);
        // Leaving a modified row posts it, and a post may reload the list: the row typed
        // into is then another one, and writing there would corrupt it.
        if (m_resets != resets || !m_dataSet || ds->currentRow() != row)
            return;
        if (ds->State() == DataSetState::Browse)
            ds->Edit();
        ds->FieldByName(fieldName)->SetText(text);
        applied = true;
    });
    return ok && applied;
}

// The data set announces each row before it appears or goes and the model passes both steps
// on, so that views keep their persistent indexes (selection, current cell) right.
void DataSetModel::onRowAboutToBeInserted(int row) {
    if (m_pending != Pending::None || row < 0 || row > m_rowCount)
        return;
    beginInsertRows({}, row, row);
    m_pending = Pending::Insert;
}

void DataSetModel::onRowInserted() {
    if (m_pending != Pending::Insert)
        return;
    m_pending = Pending::None;
    ++m_rowCount;
    endInsertRows();
}

void DataSetModel::onRowAboutToBeRemoved(int row) {
    if (m_pending != Pending::None || row < 0 || row >= m_rowCount)
        return;
    beginRemoveRows({}, row, row);
    m_pending = Pending::Remove;
}

void DataSetModel::onRowRemoved() {
    if (m_pending != Pending::Remove)
        return;
    m_pending = Pending::None;
    --m_rowCount;
    endRemoveRows();
}

void DataSetModel::onRowChanged(int row) {
    if (row < 0 || row >= m_rowCount || m_columns.isEmpty())
        return;
    Q_EMIT dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}
