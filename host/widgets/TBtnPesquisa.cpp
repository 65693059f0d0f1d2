#include "TBtnPesquisa.h"

#include "DialogService.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "TDataSource.h"

#include <QLineEdit>

TBtnPesquisa::TBtnPesquisa(QWidget* parent)
    : QToolButton(parent) {
    setText(QStringLiteral("..."));
    setToolTip(QStringLiteral("Pesquisar"));
    connect(this, &QToolButton::clicked, this, [this] { runGuarded([this] { Execute(); }); });
}

bool TBtnPesquisa::Execute() {
    bool allow = true;
    if (OnBeforePesq)
        OnBeforePesq(this, allow);
    if (!allow)
        return false;
    TClientDataSet* ds = m_dataSource ? m_dataSource->DataSet() : nullptr;
    if (!ds || !ds->Active() || ds->IsEmpty()) {
        DialogService::instance().showMessage(
            DialogKind::Information, m_emptyError.isEmpty()
                                         ? QStringLiteral("Não há registros para pesquisar.")
                                         : m_emptyError);
        return false;
    }
    if (!Pesquisar(m_dataSource, m_title, false, true))
        return false;
    if (m_associate && ds->FieldCount() > 0)
        m_associate->setText(ds->Fields().front()->AsString());
    if (OnAfterPesq)
        OnAfterPesq(this);
    return true;
}
