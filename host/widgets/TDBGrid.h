#pragma once

#include "TDataSource.h"

#include <QPointer>
#include <QTableView>
#include <functional>

class DataSetModel;
class TDBGridDelegate;
class TField;

// Data-aware grid over the data set of a data source. The current cell follows the data set's
// cursor and the other way round: moving to another row moves the cursor, which posts a row
// being edited or inserted. Escape cancels the pending row; Insert inserts one when editing is
// allowed. Cells are edited through the fields (edit masks, OnSetText), and an entry the
// field refuses is reported, never dropped. Handlers of the grid's events run guarded.
class TDBGrid final : public QTableView {
    Q_OBJECT
public:
    enum Option {
        dgEditing = 0x001,
        dgTitles = 0x002,
        dgIndicator = 0x004,
        dgColumnResize = 0x008,
        dgColLines = 0x010,
        dgRowLines = 0x020,
        dgTabs = 0x040,
        dgAlwaysShowSelection = 0x080,
        // Rows are deleted through the form's commands, which ask first; kept for the screens
        // that name it.
        dgConfirmDelete = 0x100,
        dgCancelOnExit = 0x200, // leaving the grid cancels an insert nothing was typed into
    };
    Q_DECLARE_FLAGS(Options, Option)

    explicit TDBGrid(QWidget* parent = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);
    DataSetModel* dataModel() const { return m_model; }

    // Columns, in order; width -1 takes one from the field (its display width or size).
    void AddColumn(const QString& fieldName, int width = -1, bool ellipsisButton = false);
    int ColumnCount() const { return int(m_columns.size()); }
    QString ColumnFieldName(int column) const;
    TField* ColumnField(int column) const;
    bool ColumnHasEllipsis(int column) const;
    int ColumnWidth(int column) const;
    void SetColumnVisible(int column, bool visible);
    bool ColumnVisible(int column) const;

    Options GetOptions() const { return m_options; }
    void SetOptions(Options options);
    void SetOption(Option option, bool on);
    bool HasOption(Option option) const { return m_options.testFlag(option); }

    // The selected column (also when the data set has no rows).
    int SelectedIndex() const { return m_selectedColumn; }
    void SetSelectedIndex(int column);
    TField* SelectedField() const;
    void SetSelectedField(TField* field);
    // Selects the field's column and puts the focus in the grid: how a check points the user
    // at the offending value.
    void FocusField(const QString& fieldName);

    std::function<void(QObject* sender)> OnEnter;
    std::function<void(QObject* sender)> OnColEnter;
    std::function<void(QObject* sender)> OnColExit;
    std::function<void(QObject* sender)> OnEditButtonClick;

    // The ellipsis button of the selected cell was clicked.
    void EditButtonClick();
    // Writes an open editor's text through the field; false when the field refused it.
    bool commitOpenEditor();
    // A cell editor is open.
    bool EditorMode() const { return openEditor() != nullptr; }

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyboardSearch(const QString& search) override;

private:
    friend class TDBGridDelegate;
    struct Column {
        QString fieldName;
        int width = -1;
        bool ellipsis = false;
        bool visible = true;
    };

    void applyColumns();
    void applyOptions();
    int defaultWidth(int column) const;
    int titleWidth(int column) const;
    void syncFromDataSet();
    void changeColumn(int from, int to, const QModelIndex& revertTo);
    void focusChanged(QWidget* old, QWidget* now);
    void cancelUntouchedInsert();
    int firstVisibleColumn() const;
    QWidget* openEditor() const;
    void moveColumnBy(int step);
    void moveRowBy(int step);

    QPointer<TDataSource> m_source;
    DataSetModel* m_model = nullptr;
    TDBGridDelegate* m_delegate = nullptr;
    QList<Column> m_columns;
    QList<QMetaObject::Connection> m_dataSetConnections;
    Options m_options;
    int m_selectedColumn = 0;
    bool m_syncing = false;
    bool m_rowsChanging = false; // the model is between announcing and making a row change
    bool m_inColExit = false;
    bool m_focusWithin = false;
    bool m_applying = false;
    bool m_pressedOnCurrent = false; // the mouse went down on the current cell
    int m_editButtonClicks = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TDBGrid::Options)
