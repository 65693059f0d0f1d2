#pragma once

#include "TClientDataSet.h"

#include <QObject>
#include <QPointer>
#include <functional>

// Binds a data set to controls; switching or clearing the data set re-binds them and fires
// the state-change event, as does every state change of the bound data set.
class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject* parent = nullptr);

    TClientDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TClientDataSet* dataSet);
    DataSetState State() const; // Inactive when no data set

    std::function<void(TDataSource&)> OnStateChange;

Q_SIGNALS:
    void stateChanged();
    void dataSetChanged(); // a different data set (or none) is bound

private:
    QPointer<TClientDataSet> m_dataSet;
    QMetaObject::Connection m_connection;
    QMetaObject::Connection m_destroyedConnection;
    void fireStateChange();
};
