#include "TDBNavigator.h"

#include "HostErrors.h"
#include "TClientDataSet.h"
#include "TDataSource.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace {
enum Button { First, Prior, Next, Last };
}

TDBNavigator::TDBNavigator(QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    nbFirst = addButton(QStringLiteral("nbFirst"), QStyle::SP_MediaSkipBackward,
                        QStringLiteral("Primeiro"));
    nbPrior = addButton(QStringLiteral("nbPrior"), QStyle::SP_MediaSeekBackward,
                        QStringLiteral("Anterior"));
    nbNext =
        addButton(QStringLiteral("nbNext"), QStyle::SP_MediaSeekForward, QStringLiteral("Próximo"));
    nbLast =
        addButton(QStringLiteral("nbLast"), QStyle::SP_MediaSkipForward, QStringLiteral("Último"));
    connect(nbFirst, &QToolButton::clicked, this, [this] { move(First); });
    connect(nbPrior, &QToolButton::clicked, this, [this] { move(Prior); });
    connect(nbNext, &QToolButton::clicked, this, [this] { move(Next); });
    connect(nbLast, &QToolButton::clicked, this, [this] { move(Last); });
    refresh();
}

QToolButton* TDBNavigator::addButton(const QString& name, int icon, const QString& hint) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
    button->setToolTip(hint);
    button->setFixedSize(23, 21);
    layout()->addWidget(button);
    return button;
}

void TDBNavigator::SetDataSource(TDataSource* source) {
    if (m_source == source)
        return;
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source)
        connect(m_source, &TDataSource::dataSetChanged, this, &TDBNavigator::rebind);
    rebind();
}

void TDBNavigator::rebind() {
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    if (TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr) {
        const auto update = [this] { refresh(); };
        m_connections << connect(ds, &TClientDataSet::dataReset, this, update)
                      << connect(ds, &TClientDataSet::currentRowChanged, this, update)
                      << connect(ds, &TClientDataSet::rowInserted, this, update)
                      << connect(ds, &TClientDataSet::rowRemoved, this, update)
                      << connect(ds, &TClientDataSet::stateChanged, this, update);
    }
    refresh();
}

void TDBNavigator::refresh() {
    TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr;
    const bool browsing = ds && ds->Active() && !ds->IsEmpty();
    // In insert state the new row is not yet one of the rows to move between; moving posts it.
    const int row = browsing ? ds->currentRow() : -1;
    const int last = browsing ? ds->RecordCount() - 1 : -1;
    const bool back = browsing && (row != 0 || ds->State() == DataSetState::Insert);
    const bool forward = browsing && (row < last || ds->State() == DataSetState::Insert);
    nbFirst->setEnabled(back);
    nbPrior->setEnabled(back);
    nbNext->setEnabled(forward);
    nbLast->setEnabled(forward);
}

void TDBNavigator::move(int button) {
    TClientDataSet* ds = m_source ? m_source->DataSet() : nullptr;
    if (!ds || !ds->Active())
        return;
    runGuarded([&] {
        switch (button) {
        case First:
            ds->First();
            break;
        case Prior:
            ds->Prior();
            break;
        case Next:
            ds->Next();
            break;
        case Last:
            ds->Last();
            break;
        }
    });
    refresh();
}
