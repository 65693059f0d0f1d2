#include "BusyIndicator.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char* const WaitText = "Aguarde...";
const char* const SlowText = "O servidor de aplicação está demorando a responder.";

QPointer<BusyIndicator>& currentIndicator() {
    static QPointer<BusyIndicator> indicator;
    return indicator;
}
} // namespace

BusyIndicator::BusyIndicator(QWidget* window)
    : QFrame(window) {
    setObjectName(QStringLiteral("busyIndicator"));
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    m_text = new QLabel(QString::fromUtf8(WaitText), this);
    m_text->setAlignment(Qt::AlignCenter);
    QFont f = m_text->font();
    f.setBold(true);
    m_text->setFont(f);
    layout->addWidget(m_text);
    m_stop = new QPushButton(QStringLiteral("Parar de esperar (Esc)"), this);
    m_stop->setObjectName(QStringLiteral("stopWaiting"));
    m_stop->hide();
    layout->addWidget(m_stop);
    connect(m_stop, &QPushButton::clicked, this, [this] {
        if (m_onStop)
            m_onStop();
    });
    // Only the offer to stop takes clicks; until then the window underneath shows through.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    window->installEventFilter(this);
    currentIndicator() = this;
    place();
    show();
    raise();
    // Painted before the wait starts: the window gets no other chance while input is held.
    repaint();
}

BusyIndicator::~BusyIndicator() = default;

BusyIndicator* BusyIndicator::current() {
    return currentIndicator();
}

void BusyIndicator::offerStop(std::function<void()> stop) {
    m_onStop = std::move(stop);
    // Withdrawn when the wait that offered it is over, though the indicator may stay up for
    // the rest of the operation: no button that stops nothing.
    const bool offered = bool(m_onStop);
    setAttribute(Qt::WA_TransparentForMouseEvents, !offered);
    m_text->setText(QString::fromUtf8(offered ? SlowText : WaitText));
    m_stop->setVisible(offered);
    place();
    repaint();
}

bool BusyIndicator::stopOffered() const {
    return m_stop->isVisible();
}

bool BusyIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QFrame::eventFilter(watched, event);
}

void BusyIndicator::place() {
    adjustSize();
    const QWidget* w = parentWidget();
    move((w->width() - width()) / 2, (w->height() - height()) / 2);
}

StopWaitingOffer::StopWaitingOffer(int afterMs, std::function<void()> onOffer,
                                   std::function<void()> stop)
    : m_onOffer(std::move(onOffer))
    , m_stop(std::move(stop)) {
    if (afterMs > 0 && qobject_cast<QApplication*>(QCoreApplication::instance()))
        QTimer::singleShot(afterMs, this, &StopWaitingOffer::offer);
}

StopWaitingOffer::~StopWaitingOffer() {
    if (m_offered)
        qApp->removeEventFilter(this);
    if (m_indicator && !m_own)
        m_indicator->offerStop({});
    delete m_own.data();
}

void StopWaitingOffer::offer() {
    m_indicator = BusyIndicator::current();
    if (!m_indicator) {
        QWidget* window = QApplication::activeWindow();
        if (!window)
            return; // nobody to ask
        m_own = new BusyIndicator(window);
        m_indicator = m_own;
    }
    m_offered = true;
    qApp->installEventFilter(this);
    m_indicator->offerStop([this] { takeOffer(); });
    if (m_onOffer)
        m_onOffer();
}

void StopWaitingOffer::takeOffer() {
    if (m_stopped)
        return;
    m_stopped = true;
    if (m_stop)
        m_stop();
}

bool StopWaitingOffer::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            takeOffer();
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: {
        // While the call waits, the screen must not start anything else: only the offer
        // takes input. What reaches a QWindow is passed on to its widgets and sorted out there.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget)
            return false;
        return !(m_indicator && (widget == m_indicator || m_indicator->isAncestorOf(widget)));
    }
    default:
        return false;
    }
}
