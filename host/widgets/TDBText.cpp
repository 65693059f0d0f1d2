#include "TDBText.h"

#include "TClientDataSet.h"
#include "TDataSource.h"

TDBText::TDBText(QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void TDBText::SetDataSource(TDataSource* source) {
    if (m_source == source)
        return;
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source)
        connect(m_source, &TDataSource::dataSetChanged, this, &TDBText::rebind);
    rebind();
}

void TDBText::SetDataField(const QString& fieldName) {
    m_field = fieldName;
    refresh();
}

void TDBText::rebind() {
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    if (TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr) {
        const auto update = [this] { refresh(); };
        m_connections << connect(ds, &TClientDataSet::dataReset, this, update)
                      << connect(ds, &TClientDataSet::currentRowChanged, this, update)
                      << connect(ds, &TClientDataSet::rowChanged, this, update)
                      << connect(ds, &TClientDataSet::stateChanged, this, update);
    }
    refresh();
}

void TDBText::refresh() {
    TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr;
    TField* field = ds && ds->Active() && !ds->IsEmpty() ? ds->FindField(m_field) : nullptr;
    setText(field ? field->DisplayText() : QString());
}
