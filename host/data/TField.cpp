#include "TField.h"

#include "HostErrors.h"
#include "LocaleFormat.h"
#include "TClientDataSet.h"

namespace {

[[noreturn]] void throwInvalid(const QString& text) {
    throw EHostError(QStringLiteral("'%1' não é um valor válido.").arg(text));
}

// Days between the platform's day zero (30/12/1899) and the date: its float form of a date.
const QDate dayZero(1899, 12, 30);

} // namespace

TField::TField(TClientDataSet* dataSet, int index, ciap::FieldDef def)
    : m_dataSet(dataSet)
    , m_index(index)
    , m_def(std::move(def)) {}

QString TField::DisplayName() const {
    return DisplayLabel.isEmpty() ? m_def.name : DisplayLabel;
}

QVariant TField::Value() const {
    return m_dataSet->fieldValue(m_index);
}

void TField::SetValue(const QVariant& value) {
    m_dataSet->setFieldValue(m_index, value);
}

bool TField::IsNull() const {
    return !Value().isValid();
}

QString TField::AsString() const {
    const QVariant value = Value();
    if (!value.isValid())
        return {};
    switch (m_def.type) {
    case ciap::FieldType::String:
        return value.toString();
    case ciap::FieldType::Float:
        return floatToStr(value.toDouble());
    case ciap::FieldType::DateTime:
        return dateToStr(value.toDate());
    }
    return {};
}

double TField::AsFloat() const {
    const QVariant value = Value();
    if (!value.isValid())
        return 0;
    switch (m_def.type) {
    case ciap::FieldType::Float:
        return value.toDouble();
    case ciap::FieldType::DateTime:
        return double(dayZero.daysTo(value.toDate()));
    case ciap::FieldType::String: {
        const QString text = value.toString();
        if (text.trimmed().isEmpty())
            return 0;
        double number = 0;
        if (!tryStrToFloat(text, &number))
            throwInvalid(text);
        return number;
    }
    }
    return 0;
}

QDate TField::AsDateTime() const {
    const QVariant value = Value();
    if (!value.isValid())
        return {};
    switch (m_def.type) {
    case ciap::FieldType::DateTime:
        return value.toDate();
    case ciap::FieldType::Float:
        return dayZero.addDays(qint64(value.toDouble()));
    case ciap::FieldType::String: {
        const QString text = value.toString().trimmed();
        if (text.isEmpty())
            return {};
        const QDate date = strToDate(text);
        if (!date.isValid())
            throwInvalid(text);
        return date;
    }
    }
    return {};
}

void TField::SetAsString(const QString& text) {
    if (text.isEmpty()) {
        SetValue(QVariant());
        return;
    }
    switch (m_def.type) {
    case ciap::FieldType::String:
        SetValue(text);
        return;
    case ciap::FieldType::Float: {
        if (text.trimmed().isEmpty()) {
            SetValue(QVariant());
            return;
        }
        double number = 0;
        if (!tryStrToFloat(text, &number))
            throwInvalid(text);
        SetValue(number);
        return;
    }
    case ciap::FieldType::DateTime: {
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty()) {
            SetValue(QVariant());
            return;
        }
        const QDate date = strToDate(trimmed);
        if (!date.isValid())
            throwInvalid(text);
        SetValue(date);
        return;
    }
    }
}

void TField::SetAsFloat(double value) {
    SetValue(value);
}

void TField::SetAsDateTime(const QDate& value) {
    SetValue(value.isValid() ? QVariant(value) : QVariant());
}

void TField::Clear() {
    SetValue(QVariant());
}

QVariant TField::OldValue() const {
    return m_dataSet->oldFieldValue(m_index);
}

QString TField::DisplayText() const {
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField&>(*this), text, true);
        return text;
    }
    const QVariant value = Value();
    if (!value.isValid())
        return {};
    if (m_def.type == ciap::FieldType::Float && !DisplayFormat.isEmpty())
        return formatFloat(DisplayFormat, value.toDouble());
    return AsString();
}

QString TField::Text() const {
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField&>(*this), text, false);
        return text;
    }
    return AsString();
}

void TField::SetText(const QString& text) {
    if (OnSetText)
        OnSetText(*this, text);
    else
        SetAsString(text);
}
