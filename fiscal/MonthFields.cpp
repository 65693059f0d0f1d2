#include "MonthFields.h"

#include <QDate>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {

QLineEdit* edit(QWidget* parent, const char* name, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(maxLength);
    return e;
}

void digitsOnly(QLineEdit* e) {
    e->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), e));
}

} // namespace

MonthFields MonthFields::create(QWidget* parent) {
    MonthFields f;
    f.company = edit(parent, "edtEmpresa", 2);
    digitsOnly(f.company);
    f.registration = edit(parent, "edtInscricao", 16);
    f.month = edit(parent, "edtCompetencia", 7);
    f.month->setInputMask(QStringLiteral("99/9999;_"));
    f.tax = edit(parent, "edtImposto", 2);
    digitsOnly(f.tax);
    f.tax->setPlaceholderText(QStringLiteral("o da competência apropriada"));
    return f;
}

QDate typedMonth(const QString& month) {
    return QDate::fromString(QStringLiteral("01/") + month.trimmed(), QStringLiteral("dd/MM/yyyy"));
}

QString checkTypedMonth(const QString& company, const QString& registration, const QString& month) {
    if (company.trimmed().isEmpty())
        return QStringLiteral("Empresa deve ser informada.");
    if (registration.trimmed().isEmpty())
        return QStringLiteral("Inscrição Estadual deve ser informada.");
    if (!typedMonth(month).isValid())
        return QStringLiteral("Competência deve ser um mês MM/AAAA, como 01/2024.");
    return {};
}
