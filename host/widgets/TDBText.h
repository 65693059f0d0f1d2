#pragma once

#include "TDataSource.h"

#include <QLabel>
#include <QPointer>
#include <QString>

// Shows one field of the current row of a data source, as its display text.
class TDBText final : public QLabel {
    Q_OBJECT
public:
    explicit TDBText(QWidget* parent = nullptr);

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);
    const QString& DataField() const { return m_field; }
    void SetDataField(const QString& fieldName);

    void refresh();

private:
    void rebind();
    QPointer<TDataSource> m_source;
    QString m_field;
    QList<QMetaObject::Connection> m_connections;
};
