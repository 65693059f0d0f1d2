#pragma once

#include <QHeaderView>

class TDBGrid;

// The row indicator column of a TDBGrid: marks the current row (a triangle while browsing,
// an I-beam while editing, a star while inserting).
class TDBGridIndicator final : public QHeaderView {
    Q_OBJECT
public:
    explicit TDBGridIndicator(TDBGrid* grid);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    TDBGrid* m_grid;
};
