#include "BusyIndicator.h"

#include <QEvent>

BusyIndicator::BusyIndicator(QWidget* window)
    : QLabel(QStringLiteral("Aguarde..."), window) {
    setObjectName(QStringLiteral("busyIndicator"));
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    setMargin(12);
    QFont f = font();
    f.setBold(true);
    setFont(f);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    window->installEventFilter(this);
    place();
    show();
    raise();
    // Painted before the wait starts: the window gets no other chance while input is held.
    repaint();
}

bool BusyIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QLabel::eventFilter(watched, event);
}

void BusyIndicator::place() {
    adjustSize();
    const QWidget* w = parentWidget();
    move((w->width() - width()) / 2, (w->height() - height()) / 2);
}
