#pragma once

#include <QLabel>

// "Aguarde..." label centred over a window while the application waits for the server.
class BusyIndicator final : public QLabel {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
};
