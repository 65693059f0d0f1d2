#include "TDateEditPlus.h"

#include "HostServices.h"

#include <QPalette>

namespace {
const QString DateFormat = QStringLiteral("dd/MM/yyyy");
}

TDateEditPlus::TDateEditPlus(QWidget* parent)
    : QLineEdit(parent)
    , DayNames{QStringLiteral("Domingo"), QStringLiteral("Segunda"), QStringLiteral("Terça"),
               QStringLiteral("Quarta"),  QStringLiteral("Quinta"),  QStringLiteral("Sexta"),
               QStringLiteral("Sábado")} {
    // Qt's '0' is an optional digit: a partly typed date stays editable and can be cleared.
    setInputMask(QStringLiteral("00/00/0000;_"));
    m_defaultText = palette().color(QPalette::Text);
    connect(this, &QLineEdit::textChanged, this, [this] { updateColour(); });
    SetDate(QDate::currentDate());
}

QString TDateEditPlus::Text() const {
    const QString t = text();
    for (const QChar c : t)
        if (c.isDigit())
            return t;
    return QString();
}

QDate TDateEditPlus::GetDate() const {
    const QString t = Text();
    if (t.isEmpty())
        return QDate();
    return QDate::fromString(t, DateFormat);
}

void TDateEditPlus::SetDate(const QDate& date) {
    if (date.isValid() && date.year() >= 1 && date.year() <= 9999)
        setText(date.toString(DateFormat));
    else
        clear();
    updateColour();
}

void TDateEditPlus::CheckValidDate() {
    const QString t = Text();
    if (t.isEmpty() || GetDate().isValid())
        return;
    setFocus();
    MensErro(QStringLiteral("'%1' não é uma data válida.").arg(t), true);
}

void TDateEditPlus::updateColour() {
    QPalette p = palette();
    // The disabled text keeps the platform's colour: a date edit switched off must look it.
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
        p.setColor(g, QPalette::Text, GetDate().isValid() ? QColor(Qt::blue) : m_defaultText);
    setPalette(p);
}
