#pragma once

#include "DataPacket.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <functional>

class TClientDataSet;

// One column of a client data set, reading and writing the current row.
class TField final {
public:
    using GetTextHandler = std::function<void(TField& sender, QString& text, bool displayText)>;
    using SetTextHandler = std::function<void(TField& sender, const QString& text)>;

    TField(TClientDataSet* dataSet, int index, ciap::FieldDef def);

    const QString& FieldName() const { return m_def.name; }
    ciap::FieldType DataType() const { return m_def.type; }
    int Size() const { return m_def.size; }
    int Index() const { return m_index; }
    TClientDataSet* DataSet() const { return m_dataSet; }
    const ciap::FieldDef& definition() const { return m_def; }

    // Presentation, read by grids.
    QString DisplayLabel;        // caption; empty → field name
    QString DisplayName() const; // DisplayLabel, or the field name when it is empty
    bool Visible = true;         // hidden fields are not grid columns
    QString DisplayFormat;       // "#,##0.00" or empty
    QString EditMask;            // platform mask, e.g. "99/9999 ;1; "
    int DisplayWidth = 0;        // characters, 0 = default
    GetTextHandler OnGetText;
    SetTextHandler OnSetText;

    // Current row. A null numeric reads as "" through AsString and 0 through AsFloat.
    // Values are converted to the field's type (text → number or date in pt_BR; text cut to
    // Size); a text that is not a number or date raises EHostError.
    QVariant Value() const;
    void SetValue(const QVariant& value); // must be in edit/insert state, else EHostError
    bool IsNull() const;
    QString AsString() const;
    double AsFloat() const;
    QDate AsDateTime() const;
    void SetAsString(const QString& text); // "" makes the field null; converted to the type
    void SetAsFloat(double value);
    void SetAsDateTime(const QDate& value);
    void Clear();
    // Value as last merged (read from the server); invalid for a new row.
    QVariant OldValue() const;

    // Text as grids show it: OnGetText when set, else DisplayFormat (pt_BR) for display.
    QString DisplayText() const;
    QString Text() const;              // edit text
    void SetText(const QString& text); // OnSetText when set, else SetAsString

private:
    TClientDataSet* m_dataSet;
    int m_index;
    ciap::FieldDef m_def;
};
