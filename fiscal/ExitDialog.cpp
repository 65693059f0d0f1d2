#include "ExitDialog.h"

#include "HostErrors.h"
#include "HostFont.h"
#include "HostServices.h"
#include "LocaleFormat.h"
#include "RegisterFormat.h"
#include "TDateEditPlus.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>

ExitDialog::ExitDialog(const QString& asset, const QDate& entry, QWidget* parent)
    : QDialog(parent)
    , m_entry(entry) {
    setObjectName(QStringLiteral("exitDialog"));
    setWindowTitle(QStringLiteral("Registrar Saída do Bem %1").arg(asset));
    setFont(HostFont::font());
    auto* form = new QFormLayout(this);
    dateEdit = new TDateEditPlus(this);
    dateEdit->setObjectName(QStringLiteral("dateEdit"));
    form->addRow(QStringLiteral("&Data da saída:"), dateEdit);
    kindCombo = new QComboBox(this);
    kindCombo->setObjectName(QStringLiteral("kindCombo"));
    kindCombo->addItem(QStringLiteral("V - Venda ou transferência"), QStringLiteral("V"));
    kindCombo->addItem(QStringLiteral("P - Perda, roubo ou deterioração"), QStringLiteral("P"));
    kindCombo->addItem(QStringLiteral("O - Outra saída"), QStringLiteral("O"));
    form->addRow(QStringLiteral("&Tipo:"), kindCombo);
    keyEdit = new QLineEdit(this);
    keyEdit->setObjectName(QStringLiteral("keyEdit"));
    keyEdit->setMaxLength(44);
    keyEdit->setMinimumWidth(330);
    keyEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Za-z ]{0,60}")), keyEdit));
    keyEdit->setPlaceholderText(QStringLiteral("opcional: 44 posições"));
    form->addRow(QStringLiteral("&Chave da NF-e de saída:"), keyEdit);
    itemSpin = new QSpinBox(this);
    itemSpin->setObjectName(QStringLiteral("itemSpin"));
    itemSpin->setRange(0, 990);
    itemSpin->setSpecialValueText(QStringLiteral("-"));
    form->addRow(QStringLiteral("&Item da nota:"), itemSpin);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Gravar"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancelar"));
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExitDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ExitDialog::setExit(const QDate& date, const QString& kind, const QString& key, int item) {
    if (date.isValid())
        dateEdit->SetDate(date);
    const int index = kindCombo->findData(kind);
    if (index >= 0)
        kindCombo->setCurrentIndex(index);
    keyEdit->setText(key);
    itemSpin->setValue(item);
}

QDate ExitDialog::date() const {
    return dateEdit->GetDate();
}

QString ExitDialog::kind() const {
    return kindCombo->currentData().toString();
}

QString ExitDialog::key() const {
    return keyEdit->text().remove(QLatin1Char(' ')).toUpper();
}

int ExitDialog::item() const {
    return itemSpin->value();
}

void ExitDialog::check() {
    dateEdit->CheckValidDate();
    if (!date().isValid()) {
        dateEdit->setFocus();
        MensErro(QStringLiteral("Informe a data da saída."));
    }
    if (m_entry.isValid() && date() < m_entry) {
        dateEdit->setFocus();
        MensErro(QStringLiteral("A data de saída não pode ser anterior à data de entrada do bem "
                                "(%1).")
                     .arg(dateToStr(m_entry)));
    }
    if (!key().isEmpty() && !RegisterFormat::isAccessKey(key())) {
        keyEdit->setFocus();
        MensErro(QStringLiteral("Chave de acesso inválida: confira as 44 posições e o dígito "
                                "verificador."));
    }
}

void ExitDialog::accept() {
    if (runGuarded([this] { check(); }))
        QDialog::accept();
}
