#pragma once

#include <QFrame>
#include <QPointer>
#include <functional>

class QLabel;
class QPushButton;

// "Aguarde..." panel centred over a window while the application waits for the server. When a
// wait lasts, it offers to stop waiting (a button, or Escape).
class BusyIndicator final : public QFrame {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* window);
    ~BusyIndicator() override;

    // The indicator on screen now, if any.
    static BusyIndicator* current();

    // Offers to stop waiting, stop running when taken; an empty stop withdraws the offer.
    void offerStop(std::function<void()> stop);
    bool stopOffered() const;
    QPushButton* stopButton() const { return m_stop; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QLabel* m_text = nullptr;
    QPushButton* m_stop = nullptr;
    std::function<void()> m_onStop;
};

// What a server call sets up while it waits: after the wait limit the busy indicator (one of
// its own when none is shown) offers to stop waiting, and from then on user input reaches only
// that offer. stop runs once when the user takes it.
class StopWaitingOffer final : public QObject {
    Q_OBJECT
public:
    // onOffer runs when the offer appears, so the waiter can start taking input.
    StopWaitingOffer(int afterMs, std::function<void()> onOffer, std::function<void()> stop);
    ~StopWaitingOffer() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void offer();
    void takeOffer();

    std::function<void()> m_onOffer;
    std::function<void()> m_stop;
    QPointer<BusyIndicator> m_indicator;
    QPointer<BusyIndicator> m_own;
    bool m_offered = false;
    bool m_stopped = false;
};
