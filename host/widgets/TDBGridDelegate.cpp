#include "TDBGridDelegate.h"

#include "DataSetModel.h"
#include "EditMask.h"
#include "TDBGrid.h"
#include "TField.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace {
constexpr int ButtonWidth = TDBGridDelegate::EllipsisWidth;
const char* const EditorProperty = "tdbgridEditor";
} // namespace

TDBGridDelegate::TDBGridDelegate(TDBGrid* grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid) {}

QLineEdit* TDBGridDelegate::lineEditOf(QWidget* editor) {
    if (auto* edit = qobject_cast<QLineEdit*>(editor))
        return edit;
    return editor ? editor->findChild<QLineEdit*>() : nullptr;
}

QWidget* TDBGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const {
    const int column = index.column();
    TField* field = m_grid->ColumnField(column);
    QWidget* editor = nullptr;
    QLineEdit* edit = nullptr;
    if (m_grid->ColumnHasEllipsis(column)) {
        editor = new QWidget(parent);
        editor->setAutoFillBackground(true);
        auto* layout = new QHBoxLayout(editor);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        edit = new QLineEdit(editor);
        edit->setFrame(false);
        auto* button = new QToolButton(editor);
        button->setObjectName(QStringLiteral("ellipsisButton"));
        button->setText(QStringLiteral("..."));
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedWidth(ButtonWidth);
        layout->addWidget(edit, 1);
        layout->addWidget(button);
        editor->setFocusProxy(edit);
        connect(button, &QToolButton::clicked, m_grid, &TDBGrid::EditButtonClick);
    } else {
        edit = new QLineEdit(parent);
        edit->setFrame(false);
        editor = edit;
    }
    if (field) {
        if (!field->EditMask.isEmpty())
            edit->setInputMask(qtInputMask(field->EditMask));
        else if (field->DataType() == ciap::FieldType::String && field->Size() > 0)
            edit->setMaxLength(field->Size());
        if (field->DataType() == ciap::FieldType::Float)
            edit->setAlignment(Qt::AlignRight);
    }
    editor->setProperty(EditorProperty, true);
    m_editor = editor;
    edit->installEventFilter(const_cast<TDBGridDelegate*>(this));
    return editor;
}

void TDBGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (QLineEdit* edit = lineEditOf(editor)) {
        edit->setText(index.data(Qt::EditRole).toString());
        edit->setModified(false);
        edit->selectAll();
    }
}

void TDBGridDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                   const QModelIndex& index) const {
    commit(editor, index);
}

bool TDBGridDelegate::commit(QWidget* editor, const QModelIndex& index) const {
    QLineEdit* edit = lineEditOf(editor);
    m_lastCommitOk = true;
    // Opening a cell and leaving it without typing writes nothing (and starts no edit).
    if (!edit || !edit->isModified() || !index.isValid())
        return true;
    m_lastCommitOk = m_grid->dataModel()->setData(index, edit->text(), Qt::EditRole);
    if (m_lastCommitOk)
        edit->setModified(false);
    return m_lastCommitOk;
}

void TDBGridDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                           const QModelIndex&) const {
    editor->setGeometry(option.rect);
}

QRect TDBGridDelegate::buttonRect(const QRect& cell) const {
    return QRect(cell.right() - ButtonWidth + 1, cell.top(), ButtonWidth, cell.height());
}

void TDBGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (!m_grid->ColumnHasEllipsis(index.column()) || index != m_grid->currentIndex())
        return;
    QStyleOptionButton button;
    button.rect = buttonRect(option.rect);
    button.text = QStringLiteral("...");
    button.state = QStyle::State_Enabled | QStyle::State_Raised;
    m_grid->style()->drawControl(QStyle::CE_PushButton, &button, painter, m_grid);
}

bool TDBGridDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::MouseButtonRelease && m_grid->ColumnHasEllipsis(index.column()) &&
        index == m_grid->currentIndex()) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            buttonRect(option.rect).contains(mouse->position().toPoint())) {
            m_grid->EditButtonClick();
            return true;
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

QWidget* TDBGridDelegate::editorOf(QObject* watched) const {
    for (QObject* o = watched; o; o = o->parent()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w->property(EditorProperty).toBool())
            return w;
    }
    return nullptr;
}

void TDBGridDelegate::finish(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    Q_EMIT closeEditor(editor, hint);
}

bool TDBGridDelegate::eventFilter(QObject* watched, QEvent* event) {
    QWidget* editor = editorOf(watched);
    // Events of an editor already closed (its focus-out on closing) have nothing to write.
    if (!editor || editor != m_grid->openEditor())
        return editor ? false : QStyledItemDelegate::eventFilter(watched, event);
    const QModelIndex index = m_grid->currentIndex();
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Escape:
            // The typed text is dropped; the row itself is cancelled by a second Escape.
            finish(editor, QAbstractItemDelegate::RevertModelCache);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (commit(editor, index))
                finish(editor, QAbstractItemDelegate::NoHint);
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!m_grid->HasOption(TDBGrid::dgTabs))
                break;
            if (commit(editor, index)) {
                finish(editor, QAbstractItemDelegate::NoHint);
                m_grid->moveColumnBy(key->key() == Qt::Key_Tab ? 1 : -1);
            }
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (commit(editor, index)) {
                finish(editor, QAbstractItemDelegate::NoHint);
                m_grid->moveRowBy(key->key() == Qt::Key_Down ? 1 : -1);
            }
            return true;
        default:
            break;
        }
        break;
    }
    case QEvent::FocusOut: {
        auto* focus = static_cast<QFocusEvent*>(event);
        // A dialog or a popup taking the focus is not the user leaving the cell.
        if (focus->reason() == Qt::ActiveWindowFocusReason ||
            focus->reason() == Qt::PopupFocusReason)
            return false;
        QWidget* now = QApplication::focusWidget();
        if (now && (now == editor || editor->isAncestorOf(now)))
            return false;
        if (commit(editor, index))
            finish(editor, QAbstractItemDelegate::NoHint);
        return false;
    }
    default:
        break;
    }
    return false;
}
