#pragma once

#include "TClientDataSet.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// A parameter of a query; unset parameters are bound as null.
class TQueryParam final {
public:
    explicit TQueryParam(QString name)
        : m_name(std::move(name)) {}
    const QString& Name() const { return m_name; }
    QString AsString() const { return m_value.toString(); }
    void SetAsString(const QString& text) { m_value = text; }
    const QVariant& Value() const { return m_value; }
    void Clear() { m_value = QVariant(); }

private:
    QString m_name;
    QVariant m_value;
};

// Read-only SQL query on the data module's connection whose rows are read into the data set,
// so that fields and data sources work on them. Parameters are ":NAME" in the SQL text and are
// always bound, never pasted into the text.
class TADOIBQuery final : public TClientDataSet {
    Q_OBJECT
public:
    explicit TADOIBQuery(QObject* parent = nullptr);

    QStringList SQL; // lines, joined with "\n"

    // Throws EHostError when the SQL has no such parameter.
    TQueryParam& ParamByName(const QString& name);
    QStringList paramNames() const; // in order of first appearance

    // Runs the SQL and reads all rows. Fields declared before (AddField) keep their
    // definitions; otherwise one string field per column. Throws EHostError with the
    // database's text on failure. Does nothing when already open.
    void Open();

private:
    void syncParams();
    QString m_parsedFor;
    QString m_preparedSql;   // ":NAME" replaced by "?"
    QStringList m_bindOrder; // parameter name for each "?"
    QList<TQueryParam> m_params;
    bool m_autoFields = false;
};
