#pragma once

#include <QDate>
#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;
class TDateEditPlus;

// The exit of one asset as the user records it: the date, the kind (V sale or transfer, P
// loss, O other exit) and, when there is one, the outgoing NF-e and its item.
class ExitDialog final : public QDialog {
    Q_OBJECT
public:
    ExitDialog(const QString& asset, const QDate& entry, QWidget* parent = nullptr);

    void setExit(const QDate& date, const QString& kind, const QString& key, int item);
    QDate date() const;
    QString kind() const;
    QString key() const;
    int item() const;

    // What OK checks; throws EAbort after showing what is wrong.
    void check();
    void accept() override;

    TDateEditPlus* dateEdit = nullptr;
    QComboBox* kindCombo = nullptr;
    QLineEdit* keyEdit = nullptr;
    QSpinBox* itemSpin = nullptr;

private:
    QDate m_entry;
};
