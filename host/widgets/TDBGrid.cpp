#include "TDBGrid.h"

#include "DataSetModel.h"
#include "HostErrors.h"
#include "TClientDataSet.h"
#include "TDBGridDelegate.h"
#include "TDBGridIndicator.h"
#include "TDataSource.h"
#include "TField.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QStyle>

TDBGrid::TDBGrid(QWidget* parent)
    : QTableView(parent) {
    m_options = Options(dgEditing) | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;
    m_delegate = new TDBGridDelegate(this);
    setItemDelegate(m_delegate);
    setVerticalHeader(new TDBGridIndicator(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // A click on the current cell edits it at once (mouseReleaseEvent), not after Qt's
    // double-click delay, during which the keys typed after the click were dropped.
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setWordWrap(false);
    // Fixed row heights: a grid of a hundred thousand rows stays instant.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int size) {
                if (!m_applying && column >= 0 && column < m_columns.size())
                    m_columns[column].width = size;
            });
    connect(qApp, &QApplication::focusChanged, this, &TDBGrid::focusChanged);
    SetDataSource(nullptr);
    applyOptions();
}

TDBGrid::~TDBGrid() {
    for (const auto& c : std::as_const(m_dataSetConnections))
        disconnect(c);
}

void TDBGrid::SetDataSource(TDataSource* source) {
    if (m_model && m_source == source)
        return;
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    DataSetModel* old = m_model;
    m_model = new DataSetModel(source, this);
    QList<DataSetModel::Column> columns;
    for (const Column& c : std::as_const(m_columns))
        columns.append({c.fieldName, QString(), 0});
    m_model->setColumns(columns);
    m_model->setEditingEnabled(HasOption(dgEditing));
    // While rows come and go the view moves its current cell by itself (before the data set
    // has finished the change); that is not the user picking a row and must not move the
    // cursor, which would post the very row being cancelled or deleted. Connected before
    // setModel so that these run before the view's own handling.
    const auto rowsChanging = [this] { m_rowsChanging = true; };
    const auto rowsChanged = [this] { m_rowsChanging = false; };
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this, rowsChanging);
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this, rowsChanging);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, rowsChanged);
    setModel(m_model);
    delete old;
    // The view resets its sections with the model: widths, hidden columns and the current
    // cell are put back each time.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        applyColumns();
        syncFromDataSet();
    });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &TDBGrid::syncFromDataSet);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &TDBGrid::syncFromDataSet);
    const auto rebind = [this] {
        for (const auto& c : std::as_const(m_dataSetConnections))
            disconnect(c);
        m_dataSetConnections.clear();
        if (TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr) {
            m_dataSetConnections << connect(ds, &TClientDataSet::currentRowChanged, this,
                                            &TDBGrid::syncFromDataSet)
                                 << connect(ds, &TClientDataSet::stateChanged, this,
                                            [this] { verticalHeader()->viewport()->update(); });
        }
        syncFromDataSet();
    };
    if (m_source)
        connect(m_source, &TDataSource::dataSetChanged, this, rebind);
    rebind();
    applyColumns();
}

void TDBGrid::AddColumn(const QString& fieldName, int width, bool ellipsisButton) {
    m_columns.append({fieldName, width, ellipsisButton, true});
    QList<DataSetModel::Column> columns;
    for (const Column& c : std::as_const(m_columns))
        columns.append({c.fieldName, QString(), 0});
    m_model->setColumns(columns);
    applyColumns();
}

QString TDBGrid::ColumnFieldName(int column) const {
    return column >= 0 && column < m_columns.size() ? m_columns.at(column).fieldName : QString();
}

TField* TDBGrid::ColumnField(int column) const {
    return m_model ? m_model->fieldAt(column) : nullptr;
}

bool TDBGrid::ColumnHasEllipsis(int column) const {
    return column >= 0 && column < m_columns.size() && m_columns.at(column).ellipsis;
}

int TDBGrid::ColumnWidth(int column) const {
    return columnWidth(column);
}

void TDBGrid::SetColumnVisible(int column, bool visible) {
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].visible = visible;
    setColumnHidden(column, !visible);
    if (!visible && m_selectedColumn == column) {
        const int next = firstVisibleColumn();
        if (next >= 0)
            SetSelectedIndex(next);
    }
}

bool TDBGrid::ColumnVisible(int column) const {
    return column >= 0 && column < m_columns.size() && m_columns.at(column).visible;
}

int TDBGrid::firstVisibleColumn() const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).visible)
            return i;
    return -1;
}

int TDBGrid::titleWidth(int column) const {
    const QString title = m_model->headerData(column, Qt::Horizontal).toString();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    return horizontalHeader()->fontMetrics().horizontalAdvance(title) + 2 * margin + 2;
}

int TDBGrid::defaultWidth(int column) const {
    const TField* field = ColumnField(column);
    int chars = 10;
    if (field) {
        if (field->DisplayWidth > 0)
            chars = field->DisplayWidth;
        else if (field->DataType() == ciap::FieldType::String && field->Size() > 0)
            chars = field->Size();
    }
    const QFontMetrics fm = fontMetrics();
    return fm.averageCharWidth() * qMin(chars, 40) + 8;
}

void TDBGrid::applyColumns() {
    if (!m_model || m_model->columnCount() != m_columns.size())
        return;
    m_applying = true;
    for (int i = 0; i < m_columns.size(); ++i) {
        const Column& c = m_columns.at(i);
        // A width given for another face is a minimum: the title is never cut.
        const int title = titleWidth(i);
        int width = qMax(c.width > 0 ? c.width : defaultWidth(i), title);
        // The "..." button covers the cell's right end: in a column given a width for another
        // face, the widest code the field holds still shows beside it. (A column sized from
        // its field has room for the field's average characters, wider than digits.)
        const TField* field = ColumnField(i);
        if (c.ellipsis && c.width > 0 && field && field->DataType() == ciap::FieldType::String &&
            field->Size() > 0)
            width = qMax(width, fontMetrics().horizontalAdvance(QString(field->Size(), u'0')) + 8 +
                                    TDBGridDelegate::EllipsisWidth);
        setColumnWidth(i, width);
        setColumnHidden(i, !c.visible);
    }
    m_applying = false;
}

void TDBGrid::SetOptions(Options options) {
    const bool editingOff = m_options.testFlag(dgEditing) && !options.testFlag(dgEditing);
    // An entry typed before the switch is written first: turning editing off must not eat it.
    if (editingOff && openEditor())
        commitOpenEditor();
    m_options = options;
    applyOptions();
}

void TDBGrid::SetOption(Option option, bool on) {
    Options options = m_options;
    options.setFlag(option, on);
    if (options != m_options)
        SetOptions(options);
}

void TDBGrid::applyOptions() {
    if (m_model)
        m_model->setEditingEnabled(HasOption(dgEditing));
    if (!HasOption(dgEditing)) {
        if (QWidget* editor = openEditor())
            closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    horizontalHeader()->setVisible(HasOption(dgTitles));
    verticalHeader()->setVisible(HasOption(dgIndicator));
    horizontalHeader()->setSectionResizeMode(HasOption(dgColumnResize) ? QHeaderView::Interactive
                                                                       : QHeaderView::Fixed);
    setShowGrid(HasOption(dgColLines) || HasOption(dgRowLines));
    setTabKeyNavigation(HasOption(dgTabs));
    QPalette p = palette();
    const QPalette app = QApplication::palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        p.setColor(QPalette::Inactive, role,
                   HasOption(dgAlwaysShowSelection) ? app.color(QPalette::Active, role)
                                                    : app.color(QPalette::Inactive, role));
    }
    setPalette(p);
}

QWidget* TDBGrid::openEditor() const {
    return state() == QAbstractItemView::EditingState ? m_delegate->currentEditor() : nullptr;
}

bool TDBGrid::commitOpenEditor() {
    QWidget* editor = openEditor();
    return !editor || m_delegate->commit(editor, currentIndex());
}

TField* TDBGrid::SelectedField() const {
    return ColumnField(m_selectedColumn);
}

void TDBGrid::SetSelectedField(TField* field) {
    if (!field || !m_model)
        return;
    const int column = m_model->columnOf(field->FieldName());
    if (column >= 0)
        SetSelectedIndex(column);
}

void TDBGrid::SetSelectedIndex(int column) {
    if (column < 0 || column >= m_columns.size() || column == m_selectedColumn)
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid())
        setCurrentIndex(m_model->index(current.row(), column));
    else
        changeColumn(m_selectedColumn, column, QModelIndex());
}

void TDBGrid::FocusField(const QString& fieldName) {
    const int column = m_model ? m_model->columnOf(fieldName) : -1;
    if (column >= 0)
        SetSelectedIndex(column);
    setFocus(Qt::OtherFocusReason);
}

void TDBGrid::EditButtonClick() {
    ++m_editButtonClicks;
    const QModelIndex current = currentIndex();
    const QVariant before = current.data(Qt::EditRole);
    runGuarded([this] {
        if (OnEditButtonClick)
            OnEditButtonClick(this);
    });
    // A value the handler put into the field replaces what was being typed.
    if (QWidget* editor = openEditor()) {
        if (current == currentIndex() && current.data(Qt::EditRole) != before)
            m_delegate->setEditorData(editor, current);
    }
}

void TDBGrid::changeColumn(int from, int to, const QModelIndex& revertTo) {
    if (from == to)
        return;
    if (!m_inColExit && OnColExit) {
        m_inColExit = true;
        const bool ok = runGuarded([this] { OnColExit(this); });
        m_inColExit = false;
        // A refused exit keeps the user in the column (the handler may have moved the
        // selection itself to point at the value).
        if (!ok) {
            if (revertTo.isValid() && currentIndex() != revertTo) {
                m_syncing = true;
                setCurrentIndex(revertTo);
                m_syncing = false;
            }
            return;
        }
    }
    m_selectedColumn = to;
    if (OnColEnter)
        runGuarded([this] { OnColEnter(this); });
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    verticalHeader()->viewport()->update();
    if (m_syncing || m_rowsChanging || !current.isValid())
        return;
    const int newColumn = current.column();
    if (newColumn != m_selectedColumn) {
        const int before = m_selectedColumn;
        changeColumn(before, newColumn, previous);
        if (m_selectedColumn != newColumn)
            return;
    }
    TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr;
    if (ds && ds->Active() && current.row() != ds->currentRow()) {
        // Leaving the row posts it (or cancels an untouched insert); a refused post keeps
        // the cursor, and the grid follows the cursor back.
        runGuarded([&] { ds->moveToRow(current.row()); });
        syncFromDataSet();
    }
}

void TDBGrid::syncFromDataSet() {
    if (!m_model)
        return;
    TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr;
    const int row = ds && ds->Active() ? ds->currentRow() : -1;
    int column = m_selectedColumn;
    if (column < 0 || column >= m_model->columnCount() || !ColumnVisible(column))
        column = firstVisibleColumn();
    const QModelIndex target = row >= 0 && row < m_model->rowCount() && column >= 0
                                   ? m_model->index(row, column)
                                   : QModelIndex();
    if (target == currentIndex())
        return;
    m_syncing = true;
    if (target.isValid())
        setCurrentIndex(target);
    else
        selectionModel()->clearCurrentIndex();
    m_syncing = false;
    if (column >= 0)
        m_selectedColumn = column;
}

void TDBGrid::moveColumnBy(int step) {
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    for (int c = current.column() + step; c >= 0 && c < m_columns.size(); c += step) {
        if (m_columns.at(c).visible) {
            setCurrentIndex(m_model->index(current.row(), c));
            return;
        }
    }
}

void TDBGrid::moveRowBy(int step) {
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    const int row = current.row() + step;
    if (row >= 0 && row < m_model->rowCount())
        setCurrentIndex(m_model->index(row, current.column()));
}

void TDBGrid::keyPressEvent(QKeyEvent* event) {
    TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr;
    if (event->key() == Qt::Key_Escape && ds &&
        (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert)) {
        runGuarded([ds] { ds->Cancel(); });
        return;
    }
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier && ds &&
        ds->Active() && HasOption(dgEditing)) {
        runGuarded([ds] { ds->Insert(); });
        return;
    }
    QTableView::keyPressEvent(event);
}

void TDBGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex before = currentIndex();
    QTableView::mousePressEvent(event);
    m_pressedOnCurrent = event->button() == Qt::LeftButton && before.isValid() &&
                         currentIndex() == before && indexAt(event->position().toPoint()) == before;
}

void TDBGrid::mouseReleaseEvent(QMouseEvent* event) {
    const bool onCurrent = m_pressedOnCurrent && event->button() == Qt::LeftButton &&
                           indexAt(event->position().toPoint()) == currentIndex();
    m_pressedOnCurrent = false;
    const int buttonClicks = m_editButtonClicks;
    QTableView::mouseReleaseEvent(event);
    // Not when the click was the cell's ellipsis button: its handler ran instead.
    if (onCurrent && buttonClicks == m_editButtonClicks && !openEditor())
        edit(currentIndex(), QAbstractItemView::AllEditTriggers, nullptr);
}

void TDBGrid::keyboardSearch(const QString&) {
    // Typing in a data grid edits the current cell or does nothing. Qt's jump to the next row
    // starting with the typed text moved the cursor, which posted the row being typed.
}

namespace {

// The form a widget belongs to: its MDI sub-window, or its window.
const QWidget* formOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w->isWindow() || qobject_cast<const QMdiSubWindow*>(w))
            return w;
    return nullptr;
}

} // namespace

void TDBGrid::focusChanged(QWidget*, QWidget* now) {
    // Only moves inside this form count; a dialog or another form taking the focus leaves
    // the grid entered.
    if (!now || formOf(now) != formOf(this))
        return;
    const bool within = now == this || isAncestorOf(now);
    if (within == m_focusWithin)
        return;
    m_focusWithin = within;
    if (within) {
        if (OnEnter)
            runGuarded([this] { OnEnter(this); });
    } else {
        cancelUntouchedInsert();
    }
}

void TDBGrid::cancelUntouchedInsert() {
    TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr;
    if (HasOption(dgCancelOnExit) && ds && ds->State() == DataSetState::Insert && !ds->Modified())
        runGuarded([ds] { ds->Cancel(); });
}
