#include "BookCanvas.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>

namespace ciap::book {

namespace {

constexpr double kPad = 2.5;
constexpr double kTableText = 6.5;

} // namespace

BookCanvas::BookCanvas(QPainter& painter, double dpi)
    : m_painter(painter)
    , m_scale(dpi / 72.0) {}

// The face the host's windows use, from the same package: the sheets then measure the same on
// every machine, whatever fonts it has.
QString BookCanvas::family() {
    static const QString loaded = [] {
        const QDir dir(qEnvironmentVariable(
            "CIAP_FONT_DIR", QStringLiteral("/usr/share/fonts/truetype/liberation2")));
        QString name;
        for (const char* file : {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf",
                                 "LiberationSans-Italic.ttf"}) {
            const int id = QFontDatabase::addApplicationFont(dir.filePath(QLatin1String(file)));
            if (id >= 0 && name.isEmpty())
                name = QFontDatabase::applicationFontFamilies(id).value(0);
        }
        return name.isEmpty() ? QStringLiteral("Sans Serif") : name;
    }();
    return loaded;
}

QFont BookCanvas::font(double size, Font kind) const {
    QFont f(family());
    // Sized in device pixels: a point size would be scaled again by devices whose logical
    // resolution differs from the one measured here.
    f.setPixelSize(qMax(1, qRound(size * m_scale)));
    f.setBold(kind == Font::Bold);
    f.setItalic(kind == Font::Italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QRectF BookCanvas::device(const QRectF& p) const {
    return {p.x() * m_scale, p.y() * m_scale, p.width() * m_scale, p.height() * m_scale};
}

void BookCanvas::text(const QRectF& rect, const QString& text, double size, Font kind,
                      Qt::Alignment align) {
    const QFont f = font(size, kind);
    const QRectF r = device(rect);
    const QString shown =
        QFontMetricsF(f).elidedText(text, Qt::ElideRight, r.width(), Qt::TextSingleLine);
    m_painter.setFont(f);
    m_painter.setPen(Qt::black);
    m_painter.drawText(r, int(align | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}

void BookCanvas::box(const QRectF& rect) {
    m_painter.setPen(QPen(Qt::black, 0.6 * m_scale));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(device(rect));
}

void BookCanvas::rule(double y, double width) {
    m_painter.setPen(QPen(Qt::black, 0.4 * m_scale));
    m_painter.drawLine(QPointF(0, y * m_scale), QPointF(width * m_scale, y * m_scale));
}

void BookCanvas::headerRow(const QList<Column>& columns, double x, double y, double height) {
    const QFont f = font(kTableText, Font::Bold);
    const QFontMetricsF metrics(f);
    for (const Column& c : columns) {
        const QRectF cell(x, y, c.width, height);
        m_painter.setPen(QPen(Qt::black, 0.5 * m_scale));
        m_painter.setBrush(QColor(230, 230, 230));
        m_painter.drawRect(device(cell));
        // Titles wrap at their spaces: at most two lines, each cut to the cell.
        const double room = (c.width - 2 * kPad) * m_scale;
        QStringList lines{QString()};
        for (const QString& word : c.title.split(QLatin1Char(' '))) {
            const QString joined =
                lines.last().isEmpty() ? word : lines.last() + QLatin1Char(' ') + word;
            if (metrics.horizontalAdvance(joined) <= room || lines.last().isEmpty())
                lines.last() = joined;
            else if (lines.size() < 2)
                lines << word;
            else
                lines.last() = joined;
        }
        const double line = (height - 2 * kPad) / 2;
        const double top = lines.size() == 1 ? y + kPad + line / 2 : y + kPad;
        for (int i = 0; i < lines.size(); ++i)
            text({x + kPad, top + i * line, c.width - 2 * kPad, line}, lines[i], kTableText,
                 Font::Bold, c.align);
        x += c.width;
    }
}

void BookCanvas::row(const QList<Column>& columns, double x, double y, double height,
                     const QList<QStringList>& cells, Font kind) {
    m_painter.setPen(QPen(Qt::black, 0.3 * m_scale));
    m_painter.setBrush(Qt::NoBrush);
    double left = x;
    for (int i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        m_painter.setPen(QPen(Qt::black, 0.3 * m_scale));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(device({left, y, c.width, height}));
        const QStringList lines = cells.value(i);
        const double line = lines.size() > 1 ? (height - 2 * kPad) / lines.size() : height;
        const double top = lines.size() > 1 ? y + kPad : y;
        for (int l = 0; l < lines.size(); ++l)
            text({left + kPad, top + l * line, c.width - 2 * kPad, line}, lines[l], kTableText,
                 kind, c.align);
        left += c.width;
    }
}

} // namespace ciap::book
