#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class QLineEdit;
class TDBGrid;

// Cell editing of a TDBGrid: a line edit under the field's edit mask and size, with an
// ellipsis button in the columns that have one. The delegate decides itself when an entry is
// written (Enter, Tab, arrows, focus leaving the cell) so that an entry the field refuses
// keeps its editor open with the text, instead of being thrown away. The ellipsis button is
// also drawn in the selected cell of such a column, where a click fires the grid's event.
class TDBGridDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TDBGridDelegate(TDBGrid* grid);

    static constexpr int EllipsisWidth = 18; // the "..." button at the cell's right

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The line edit inside an editor made by this delegate.
    static QLineEdit* lineEditOf(QWidget* editor);
    // Writes the editor's text when the user changed it; false when the field refused it.
    bool commit(QWidget* editor, const QModelIndex& index) const;
    bool lastCommitOk() const { return m_lastCommitOk; }
    QWidget* currentEditor() const { return m_editor; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    QRect buttonRect(const QRect& cell) const;
    QWidget* editorOf(QObject* watched) const;
    void finish(QWidget* editor, QAbstractItemDelegate::EndEditHint hint);

    TDBGrid* m_grid;
    mutable QPointer<QWidget> m_editor;
    mutable bool m_lastCommitOk = true;
};
