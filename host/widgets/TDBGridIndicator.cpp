#include "TDBGridIndicator.h"

#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int IndicatorWidth = 12;
}

TDBGridIndicator::TDBGridIndicator(TDBGrid* grid)
    : QHeaderView(Qt::Vertical, grid)
    , m_grid(grid) {
    setSectionsClickable(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setFixedWidth(IndicatorWidth);
}

QSize TDBGridIndicator::sectionSizeFromContents(int) const {
    return QSize(IndicatorWidth, defaultSectionSize());
}

void TDBGridIndicator::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    painter->save();
    painter->fillRect(rect, palette().button());
    painter->setPen(palette().mid().color());
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const QModelIndex current = m_grid->currentIndex();
    TClientDataSet* ds = m_grid->DataSource() ? m_grid->DataSource()->DataSet() : nullptr;
    if (ds && current.isValid() && current.row() == logicalIndex) {
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(palette().buttonText().color());
        painter->setBrush(palette().buttonText());
        const QPointF c = QRectF(rect).center();
        switch (ds->State()) {
        case DataSetState::Insert:
            painter->drawText(rect, Qt::AlignCenter, QStringLiteral("*"));
            break;
        case DataSetState::Edit:
            painter->drawLine(QPointF(c.x(), c.y() - 4), QPointF(c.x(), c.y() + 4));
            painter->drawLine(QPointF(c.x() - 2, c.y() - 4), QPointF(c.x() + 2, c.y() - 4));
            painter->drawLine(QPointF(c.x() - 2, c.y() + 4), QPointF(c.x() + 2, c.y() + 4));
            break;
        default: {
            QPainterPath arrow;
            arrow.moveTo(c.x() - 2, c.y() - 4);
            arrow.lineTo(c.x() + 3, c.y());
            arrow.lineTo(c.x() - 2, c.y() + 4);
            arrow.closeSubpath();
            painter->drawPath(arrow);
            break;
        }
        }
    }
    painter->restore();
}
