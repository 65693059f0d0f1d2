#include "DataSetModel.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "RecordingDialogService.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using ciap::FieldType;

// The data-aware grid: cursor and current cell follow each other, editing goes through the
// fields and is never silently lost, column events and the ellipsis button.
class tst_DBGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void cursorAndCellFollowEachOther();
    void leavingRowPostsIt();
    void refusedPostKeepsRow();
    void escapeCancels();
    void rowsGoingAwayDoNotPost();
    void insertKey_data();
    void insertKey();
    void typingThroughTheEditMask();
    void refusedEntryKeepsEditor();
    void openingWithoutTypingWritesNothing();
    void columnEvents();
    void refusedColumnExitKeepsColumn();
    void selectedFieldWithoutRows();
    void ellipsisButton();
    void ellipsisValueReplacesTypedText();
    void columnsSurviveReload();
    void switchingEditingOffWritesOpenEntry();
    void leavingCancelsUntouchedInsert();
    void enterEvent();
    void fixedRowHeights();

private:
    QLineEdit* openEditor() const;

    RecordingDialogService m_dialogs;
    QWidget* m_window = nullptr;
    QLineEdit* m_other = nullptr;
    TClientDataSet* m_ds = nullptr;
    TDataSource* m_source = nullptr;
    TDBGrid* m_grid = nullptr;
    QStringList m_events;
};

void tst_DBGrid::initTestCase() {
    DialogService::setInstance(&m_dialogs);
}

void tst_DBGrid::cleanupTestCase() {
    DialogService::setInstance(nullptr);
}

void tst_DBGrid::init() {
    m_dialogs.clear();
    m_events.clear();
    m_window = new QWidget;
    auto* layout = new QVBoxLayout(m_window);
    m_other = new QLineEdit(m_window);
    layout->addWidget(m_other);
    m_ds = new TClientDataSet(m_window);
    TField* month = m_ds->AddField({QStringLiteral("COMPETENCIA"), FieldType::String, 7});
    month->EditMask = QStringLiteral("99/9999 ;1; ");
    month->DisplayLabel = QStringLiteral("Mês");
    m_ds->AddField({QStringLiteral("VALOR"), FieldType::Float, 0})->DisplayFormat =
        QStringLiteral("#,##0.00");
    m_ds->AddField({QStringLiteral("NOME"), FieldType::String, 10});
    m_ds->AddField({QStringLiteral("CODIGO"), FieldType::String, 16});
    ciap::DataPacket p;
    p.fields = m_ds->FieldDefs();
    p.rows = {{QStringLiteral("01/2024"), 1.5, QStringLiteral("um"), QStringLiteral("A")},
              {QStringLiteral("02/2024"), 2.5, QStringLiteral("dois"), QStringLiteral("B")},
              {QStringLiteral("03/2024"), 1234.567, QStringLiteral("tres"), QStringLiteral("C")}};
    m_ds->SetData(p);
    m_source = new TDataSource(m_window);
    m_source->SetDataSet(m_ds);
    m_grid = new TDBGrid(m_window);
    m_grid->SetDataSource(m_source);
    m_grid->AddColumn(QStringLiteral("COMPETENCIA"), 74);
    m_grid->AddColumn(QStringLiteral("VALOR"), 90);
    m_grid->AddColumn(QStringLiteral("NOME"));
    m_grid->AddColumn(QStringLiteral("CODIGO"), 120, true);
    layout->addWidget(m_grid);
    m_window->resize(600, 300);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_grid->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_grid);
}

void tst_DBGrid::cleanup() {
    delete m_window;
    m_window = nullptr;
}

QLineEdit* tst_DBGrid::openEditor() const {
    if (!m_grid->EditorMode())
        return nullptr;
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

void tst_DBGrid::cursorAndCellFollowEachOther() {
    QCOMPARE(m_grid->currentIndex().row(), 0);
    m_grid->setCurrentIndex(m_grid->model()->index(2, 1));
    QCOMPARE(m_ds->RecNo(), 3);
    m_ds->First();
    QCOMPARE(m_grid->currentIndex(), m_grid->model()->index(0, 1)); // the column stays
    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(m_ds->RecNo(), 2);
    QCOMPARE(m_grid->model()->data(m_grid->model()->index(2, 1)).toString(),
             QStringLiteral("1.234,57"));
}

void tst_DBGrid::leavingRowPostsIt() {
    int posts = 0;
    m_ds->AfterPost = [&](TClientDataSet&) { ++posts; };
    m_ds->Edit();
    m_ds->FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("mudado"));
    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(posts, 1);
    QCOMPARE(m_ds->State(), DataSetState::Browse);
    QCOMPARE(m_ds->RecNo(), 2);
    m_ds->First();
    QCOMPARE(m_ds->FieldByName(QStringLiteral("NOME"))->AsString(), QStringLiteral("mudado"));
}

void tst_DBGrid::refusedPostKeepsRow() {
    m_ds->BeforePost = [](TClientDataSet&) { throw EHostError(QStringLiteral("recusado")); };
    m_ds->Edit();
    m_ds->FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("mudado"));
    m_grid->setCurrentIndex(m_grid->model()->index(2, 0));
    QCOMPARE(m_dialogs.errors(), QStringList{"recusado"});
    QCOMPARE(m_ds->State(), DataSetState::Edit);
    QCOMPARE(m_ds->RecNo(), 1);
    QCOMPARE(m_grid->currentIndex().row(), 0);
}

void tst_DBGrid::escapeCancels() {
    m_ds->Edit();
    m_ds->FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("mudado"));
    QTest::keyClick(m_grid, Qt::Key_Escape);
    QCOMPARE(m_ds->State(), DataSetState::Browse);
    QCOMPARE(m_ds->FieldByName(QStringLiteral("NOME"))->AsString(), QStringLiteral("um"));
}

void tst_DBGrid::rowsGoingAwayDoNotPost() {
    int posts = 0;
    m_ds->BeforePost = [&](TClientDataSet&) { ++posts; };
    m_grid->setCurrentIndex(m_grid->model()->index(1, 2));
    m_ds->Insert();
    m_ds->FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("digitado"));
    QTest::keyClick(m_grid, Qt::Key_Escape);
    QCOMPARE(m_ds->State(), DataSetState::Browse);
    QCOMPARE(m_ds->RecordCount(), 3);
    QCOMPARE(m_grid->model()->rowCount(), 3);
    QCOMPARE(m_grid->currentIndex().row(), m_ds->currentRow());
    m_ds->Last();
    m_ds->Delete();
    QCOMPARE(m_grid->model()->rowCount(), 2);
    QCOMPARE(m_grid->currentIndex().row(), m_ds->currentRow());
    QCOMPARE(posts, 0);
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_DBGrid::insertKey_data() {
    QTest::addColumn<bool>("editing");
    QTest::newRow("editing allowed") << true;
    QTest::newRow("read-only") << false;
}

void tst_DBGrid::insertKey() {
    QFETCH(bool, editing);
    m_grid->SetOption(TDBGrid::dgEditing, editing);
    QTest::keyClick(m_grid, Qt::Key_Insert);
    QCOMPARE(m_ds->State(), editing ? DataSetState::Insert : DataSetState::Browse);
    if (editing) {
        QCOMPARE(m_grid->model()->rowCount(), 4);
        QCOMPARE(m_grid->currentIndex().row(), m_ds->currentRow());
    }
}

void tst_DBGrid::typingThroughTheEditMask() {
    m_grid->setCurrentIndex(m_grid->model()->index(1, 0));
    QTest::keyClicks(m_grid, QStringLiteral("1"));
    QLineEdit* editor = openEditor();
    QVERIFY(editor);
    QVERIFY(editor->inputMask().startsWith(QStringLiteral("00/0000"))); // optional digits
    QTest::keyClicks(editor, QStringLiteral("12023"));
    QCOMPARE(editor->text(), QStringLiteral("11/2023"));
    QTest::keyClick(editor, Qt::Key_Return);
    QVERIFY(!openEditor());
    QCOMPARE(m_ds->State(), DataSetState::Edit);
    QCOMPARE(m_ds->FieldByName(QStringLiteral("COMPETENCIA"))->AsString(),
             QStringLiteral("11/2023"));
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_DBGrid::refusedEntryKeepsEditor() {
    m_grid->setCurrentIndex(m_grid->model()->index(0, 1));
    QTest::keyClicks(m_grid, QStringLiteral("x"));
    QLineEdit* editor = openEditor();
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("yz"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The field refused it: the user reads why and keeps the text to correct it.
    QCOMPARE(m_dialogs.errors().size(), 1);
    QVERIFY(openEditor());
    QCOMPARE(openEditor()->text(), QStringLiteral("xyz"));
    QCOMPARE(m_ds->FieldByName(QStringLiteral("VALOR"))->AsFloat(), 1.5);
    // Tab is refused the same way.
    m_dialogs.clear();
    QTest::keyClick(openEditor(), Qt::Key_Tab);
    QCOMPARE(m_dialogs.errors().size(), 1);
    QVERIFY(openEditor());
    openEditor()->setText(QStringLiteral("7,25"));
    openEditor()->setModified(true);
    QTest::keyClick(openEditor(), Qt::Key_Tab);
    QVERIFY(!openEditor());
    QCOMPARE(m_ds->FieldByName(QStringLiteral("VALOR"))->AsFloat(), 7.25);
    QCOMPARE(m_grid->currentIndex().column(), 2); // Tab went on to the next column
}

void tst_DBGrid::openingWithoutTypingWritesNothing() {
    m_grid->setCurrentIndex(m_grid->model()->index(0, 2));
    QTest::keyClick(m_grid, Qt::Key_F2);
    QVERIFY(openEditor());
    QTest::keyClick(openEditor(), Qt::Key_Return);
    QVERIFY(!openEditor());
    QCOMPARE(m_ds->State(), DataSetState::Browse);
}

void tst_DBGrid::columnEvents() {
    m_grid->OnColExit = [this](QObject* sender) {
        QCOMPARE(sender, m_grid);
        m_events << QStringLiteral("exit:") + m_grid->SelectedField()->FieldName();
    };
    m_grid->OnColEnter = [this](QObject*) {
        m_events << QStringLiteral("enter:") + m_grid->SelectedField()->FieldName();
    };
    QTest::keyClick(m_grid, Qt::Key_Right);
    m_grid->SetSelectedField(m_ds->FieldByName(QStringLiteral("CODIGO")));
    QTest::keyClick(m_grid, Qt::Key_Down); // another row, same column: no column events
    QCOMPARE(m_events,
             QStringList({"exit:COMPETENCIA", "enter:VALOR", "exit:VALOR", "enter:CODIGO"}));
    QCOMPARE(m_grid->SelectedIndex(), 3);
    QCOMPARE(m_ds->RecNo(), 2);
}

void tst_DBGrid::refusedColumnExitKeepsColumn() {
    m_grid->SetSelectedIndex(2);
    m_grid->OnColExit = [this](QObject*) {
        if (m_grid->SelectedField()->FieldName() == QLatin1String("NOME"))
            MensErro(QStringLiteral("fica"));
    };
    m_grid->setCurrentIndex(m_grid->model()->index(1, 3));
    QCOMPARE(m_grid->currentIndex(), m_grid->model()->index(0, 2));
    QCOMPARE(m_grid->SelectedIndex(), 2);
    QCOMPARE(m_ds->RecNo(), 1);
    QCOMPARE(m_dialogs.errors(), QStringList{"fica"});
}

void tst_DBGrid::selectedFieldWithoutRows() {
    m_ds->EmptyDataSet();
    QVERIFY(!m_grid->currentIndex().isValid());
    m_grid->SetSelectedField(m_ds->FieldByName(QStringLiteral("VALOR")));
    QCOMPARE(m_grid->SelectedField()->FieldName(), QStringLiteral("VALOR"));
    m_grid->FocusField(QStringLiteral("NOME"));
    QCOMPARE(m_grid->SelectedIndex(), 2);
    QCOMPARE(QApplication::focusWidget(), m_grid);
}

void tst_DBGrid::ellipsisButton() {
    int clicks = 0;
    m_grid->OnEditButtonClick = [&](QObject* sender) {
        QCOMPARE(sender, m_grid);
        ++clicks;
    };
    m_grid->setCurrentIndex(m_grid->model()->index(0, 3));
    const QRect cell = m_grid->visualRect(m_grid->currentIndex());
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {},
                      QPoint(cell.right() - 4, cell.center().y()));
    QCOMPARE(clicks, 1);
    // No button in a column without one.
    m_grid->setCurrentIndex(m_grid->model()->index(0, 2));
    const QRect other = m_grid->visualRect(m_grid->currentIndex());
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {},
                      QPoint(other.right() - 4, other.center().y()));
    QCOMPARE(clicks, 1);
    // The editor of the column has its own button.
    m_grid->setCurrentIndex(m_grid->model()->index(0, 3));
    QTest::keyClick(m_grid, Qt::Key_F2);
    QVERIFY(openEditor());
    auto* button =
        openEditor()->parentWidget()->findChild<QToolButton*>(QStringLiteral("ellipsisButton"));
    QVERIFY(button);
    button->click();
    QCOMPARE(clicks, 2);
    // A failing handler is reported.
    m_grid->OnEditButtonClick = [](QObject*) { throw EHostError(QStringLiteral("sem lista")); };
    m_grid->EditButtonClick();
    QCOMPARE(m_dialogs.errors(), QStringList{"sem lista"});
}

void tst_DBGrid::ellipsisValueReplacesTypedText() {
    m_grid->OnEditButtonClick = [this](QObject*) {
        m_ds->Edit();
        m_ds->FieldByName(QStringLiteral("CODIGO"))->SetAsString(QStringLiteral("ESCOLHIDO"));
    };
    m_grid->setCurrentIndex(m_grid->model()->index(0, 3));
    QTest::keyClicks(m_grid, QStringLiteral("X"));
    QVERIFY(openEditor());
    m_grid->EditButtonClick();
    QCOMPARE(openEditor()->text(), QStringLiteral("ESCOLHIDO"));
    // Nothing picked: what was typed stays.
    m_grid->OnEditButtonClick = [](QObject*) {};
    QTest::keyClicks(openEditor(), QStringLiteral("Z"));
    const QString typed = openEditor()->text();
    m_grid->EditButtonClick();
    QCOMPARE(openEditor()->text(), typed);
}

void tst_DBGrid::columnsSurviveReload() {
    m_grid->SetColumnVisible(1, false);
    QVERIFY(m_grid->isColumnHidden(1));
    QVERIFY(!m_grid->ColumnVisible(1));
    m_grid->horizontalHeader()->resizeSection(2, 150); // as the user drags it
    const int code = m_grid->ColumnWidth(3);
    ciap::DataPacket p;
    p.fields = m_ds->FieldDefs();
    p.rows = {{QStringLiteral("04/2024"), 4.0, QStringLiteral("quatro"), QStringLiteral("D")}};
    m_ds->SetData(p);
    QVERIFY(m_grid->isColumnHidden(1));
    QCOMPARE(m_grid->ColumnWidth(2), 150);
    QCOMPARE(m_grid->ColumnWidth(3), code);
    QCOMPARE(m_grid->ColumnWidth(0), 74);
    QCOMPARE(m_grid->currentIndex().row(), 0);
    m_grid->SetColumnVisible(1, true);
    QVERIFY(!m_grid->isColumnHidden(1));
}

void tst_DBGrid::switchingEditingOffWritesOpenEntry() {
    m_grid->setCurrentIndex(m_grid->model()->index(0, 2));
    QTest::keyClicks(m_grid, QStringLiteral("n"));
    QVERIFY(openEditor());
    QTest::keyClicks(openEditor(), QStringLiteral("ovo"));
    m_grid->SetOption(TDBGrid::dgEditing, false);
    QVERIFY(!openEditor());
    QCOMPARE(m_ds->FieldByName(QStringLiteral("NOME"))->AsString(), QStringLiteral("novo"));
    QVERIFY(!(m_grid->model()->flags(m_grid->currentIndex()) & Qt::ItemIsEditable));
    QTest::keyClicks(m_grid, QStringLiteral("x"));
    QVERIFY(!openEditor());
}

void tst_DBGrid::leavingCancelsUntouchedInsert() {
    m_ds->Insert();
    m_other->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_other);
    QCOMPARE(m_ds->State(), DataSetState::Browse);
    QCOMPARE(m_ds->RecordCount(), 3);

    m_grid->setFocus();
    m_ds->Insert();
    m_ds->FieldByName(QStringLiteral("NOME"))->SetAsString(QStringLiteral("digitado"));
    m_other->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_other);
    QCOMPARE(m_ds->State(), DataSetState::Insert);
}

void tst_DBGrid::enterEvent() {
    int enters = 0;
    m_grid->OnEnter = [&](QObject*) { ++enters; };
    m_other->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_other);
    m_grid->setFocus(Qt::TabFocusReason);
    QCOMPARE(enters, 1);
    // Opening and closing an editor stays inside the grid.
    QTest::keyClick(m_grid, Qt::Key_F2);
    QVERIFY(openEditor());
    QTest::keyClick(openEditor(), Qt::Key_Escape);
    QVERIFY(!openEditor());
    QCOMPARE(enters, 1);
}

void tst_DBGrid::fixedRowHeights() {
    QCOMPARE(m_grid->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    ciap::DataPacket p;
    p.fields = m_ds->FieldDefs();
    for (int i = 0; i < 100000; ++i)
        p.rows.append({QStringLiteral("01/2024"), double(i), QStringLiteral("n"), QString()});
    QElapsedTimer timer;
    timer.start();
    m_ds->SetData(std::move(p));
    m_grid->scrollToBottom();
    QCoreApplication::processEvents();
    m_ds->Last();
    QCOMPARE(m_grid->currentIndex().row(), 99999);
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_MAIN(tst_DBGrid)
#include "tst_dbgrid.moc"
