#include "TDataSource.h"

TDataSource::TDataSource(QObject* parent)
    : QObject(parent) {}

void TDataSource::SetDataSet(TClientDataSet* dataSet) {
    if (dataSet == m_dataSet)
        return;
    disconnect(m_connection);
    disconnect(m_destroyedConnection);
    m_dataSet = dataSet;
    if (dataSet) {
        m_connection =
            connect(dataSet, &TClientDataSet::stateChanged, this, &TDataSource::fireStateChange);
        // A data set destroyed while bound leaves the controls unbound; no handler runs,
        // since its owner (the screen) is going away.
        m_destroyedConnection = connect(dataSet, &QObject::destroyed, this, [this] {
            m_dataSet = nullptr;
            disconnect(m_connection);
            Q_EMIT dataSetChanged();
        });
    }
    Q_EMIT dataSetChanged();
    fireStateChange();
}

DataSetState TDataSource::State() const {
    return m_dataSet ? m_dataSet->State() : DataSetState::Inactive;
}

void TDataSource::fireStateChange() {
    if (OnStateChange)
        OnStateChange(*this);
    Q_EMIT stateChanged();
}
