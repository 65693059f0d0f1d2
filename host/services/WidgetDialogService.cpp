#include "WidgetDialogService.h"

#include "DataSetModel.h"
#include "TClientDataSet.h"
#include "TDataSource.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString applicationTitle() {
    const QString display = QGuiApplication::applicationDisplayName();
    return display.isEmpty() ? QCoreApplication::applicationName() : display;
}

QMessageBox::Icon iconOf(DialogKind kind) {
    switch (kind) {
    case DialogKind::Error:
        return QMessageBox::Critical;
    case DialogKind::Information:
        return QMessageBox::Information;
    case DialogKind::Confirmation:
        return QMessageBox::Question;
    case DialogKind::Warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

// Notices that a question box was dismissed (Escape, window close) rather than
// answered.
class DismissWatcher final : public QObject {
public:
    bool dismissed = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close)
            dismissed = true;
        else if (event->type() == QEvent::KeyPress &&
                 static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            dismissed = true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void WidgetDialogService::showMessage(DialogKind kind, const QString& text) {
    QMessageBox box(iconOf(kind), applicationTitle(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

DialogAnswer WidgetDialogService::askYesNo(DialogKind kind, const QString& text) {
    QMessageBox box(iconOf(kind), applicationTitle(), text, QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    DismissWatcher watcher;
    box.installEventFilter(&watcher);
    const int result = box.exec();
    if (watcher.dismissed)
        return DialogAnswer::Cancel;
    if (result == QMessageBox::Yes)
        return DialogAnswer::Yes;
    if (result == QMessageBox::No)
        return DialogAnswer::No;
    return DialogAnswer::Cancel;
}

bool WidgetDialogService::pick(const QString& title, TDataSource* source) {
    const qsizetype bar = title.indexOf(QLatin1Char('|'));
    const QString listTitle = bar < 0 ? title : title.left(bar);
    const QString emptyText = bar < 0 ? QString() : title.mid(bar + 1);
    TClientDataSet* ds = source ? source->DataSet() : nullptr;
    if (!ds || !ds->Active() || ds->IsEmpty()) {
        if (!emptyText.isEmpty())
            DialogService::instance().showMessage(DialogKind::Information, emptyText);
        return false;
    }

    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(listTitle);
    auto* layout = new QVBoxLayout(&dialog);
    auto* view = new QTableView(&dialog);
    DataSetModel model(source);
    view->setModel(&model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->resizeColumnsToContents();
    const int current = qMax(0, ds->currentRow());
    view->setCurrentIndex(model.index(current, 0));
    layout->addWidget(view);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(view, &QTableView::doubleClicked, &dialog, &QDialog::accept);
    dialog.resize(480, 360);
    view->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const int row = view->currentIndex().row();
    if (row < 0 || row >= ds->RecordCount())
        return false;
    ds->SetRecNo(row + 1);
    return true;
}
