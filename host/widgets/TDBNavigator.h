#pragma once

#include "TDataSource.h"

#include <QPointer>
#include <QWidget>

class QToolButton;

// Moves the cursor of a data source's data set: first, prior, next, last. The buttons follow
// the cursor (no way back at the first row, none forward at the last).
class TDBNavigator final : public QWidget {
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget* parent = nullptr);

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);

    QToolButton* nbFirst = nullptr;
    QToolButton* nbPrior = nullptr;
    QToolButton* nbNext = nullptr;
    QToolButton* nbLast = nullptr;

    void refresh();

private:
    QToolButton* addButton(const QString& name, int icon, const QString& hint);
    void rebind();
    void move(int button);
    QPointer<TDataSource> m_source;
    QList<QMetaObject::Connection> m_connections;
};
