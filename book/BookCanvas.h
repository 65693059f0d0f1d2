#pragma once

#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace ciap::book {

enum class Font { Regular, Bold, Italic };

struct Column {
    QString title;
    double width = 0; // points
    Qt::Alignment align = Qt::AlignLeft;
};

// Draws in points whatever the device's resolution, in the face the book is printed in.
// Text never spills out of its cell: what does not fit is cut with an ellipsis.
class BookCanvas final {
public:
    BookCanvas(QPainter& painter, double dpi);

    void text(const QRectF& rect, const QString& text, double size, Font font = Font::Regular,
              Qt::Alignment align = Qt::AlignLeft);
    void box(const QRectF& rect);
    void rule(double y, double width);
    // A shaded row of titles, each wrapped on up to two lines.
    void headerRow(const QList<Column>& columns, double x, double y, double height);
    // One line of text per entry of a cell.
    void row(const QList<Column>& columns, double x, double y, double height,
             const QList<QStringList>& cells, Font font = Font::Regular);

    static QString family(); // Liberation Sans, read from its package's files

private:
    QFont font(double size, Font kind) const;
    QRectF device(const QRectF& points) const;

    QPainter& m_painter;
    double m_scale; // device pixels per point
};

} // namespace ciap::book
