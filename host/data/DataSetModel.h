#pragma once

#include "TDataSource.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <vector>

// Table model of the data set bound to a data source, for grids. Rows are the data set's rows
// plus the pending inserted row; texts come from the fields (DisplayText for display, Text for
// editing) evaluated for each row, so OnGetText handlers draw every row. Follows re-binding of
// the data source. Every cell costs constant work, so 100,000-row grids scroll freely.
class DataSetModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString fieldName;
        QString title; // empty: the field's DisplayName()
        int width = 0; // pixels; 0: the grid's default
    };
    enum Role { RawValueRole = Qt::UserRole + 1 }; // the stored QVariant

    explicit DataSetModel(TDataSource* source, QObject* parent = nullptr);
    ~DataSetModel() override;

    TDataSource* dataSource() const { return m_source; }
    TClientDataSet* dataSet() const { return m_dataSet; }

    // Empty: one column per visible field, in field order.
    void setColumns(const QList<Column>& columns);
    QList<Column> columns() const { return m_columns; }
    TField* fieldAt(int column) const; // nullptr when the data set lacks the column's field
    int columnOf(const QString& fieldName) const; // -1 when absent
    int columnWidth(int column) const;

    // In-cell editing, switched by the screen as the user moves between columns.
    void setEditingEnabled(bool enabled);
    bool editingEnabled() const { return m_editingEnabled; }

    // Repaints every cell: for texts that depend on something outside the data set (the
    // current row of another data set).
    void refreshDisplay();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Moves to the row, enters edit state and assigns the text through the field (OnSetText);
    // an error is shown through the dialog service and the result is false.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    void bind();
    void resolveColumns();
    void onAboutToReset();
    void resetFromDataSet();
    void onRowAboutToBeInserted(int row);
    void onRowInserted();
    void onRowAboutToBeRemoved(int row);
    void onRowRemoved();
    void onRowChanged(int row);

    QPointer<TDataSource> m_source;
    QPointer<TClientDataSet> m_dataSet;
    QList<Column> m_requested;
    QList<Column> m_columns;
    std::vector<int> m_fieldIndexes; // per column; -1 when the field is missing
    QList<QMetaObject::Connection> m_connections;
    enum class Pending { None, Reset, Insert, Remove }; // announced, not yet done
    Pending m_pending = Pending::None;
    int m_rowCount = 0;
    quint64 m_resets = 0;
    bool m_editingEnabled = true;
};
