#include "AssetGrid.h"

#include "AssetPacket.h"
#include "HostServices.h"
#include "LocaleFormat.h"
#include "TDBGrid.h"
#include "TField.h"

#include <QApplication>
#include <QHeaderView>

using ciap::FieldType;

namespace {

TField* addField(TClientDataSet& ds, const QString& name, FieldType type, int size,
                 const QString& caption, bool visible) {
    TField* field = ds.AddField(ciap::FieldDef{name, type, size});
    field->DisplayLabel = caption;
    field->Visible = visible;
    return field;
}

} // namespace

ciap::DataPacket AssetGrid::packet(int rows) {
    return benchAssetPacket(rows);
}

AssetGrid::AssetGrid(int rows)
    : m_rows(rows) {
    addField(m_dataSet, QStringLiteral("CDEMPRESA"), FieldType::String, 2, {}, false);
    addField(m_dataSet, QStringLiteral("CDBEMATIVO"), FieldType::String, 10,
             QStringLiteral("Nr. Bem"), true);
    addField(m_dataSet, QStringLiteral("NMBEMATIVO"), FieldType::String, 50, QStringLiteral("Nome"),
             true);
    addField(m_dataSet, QStringLiteral("CDPATRIBEMATIVO"), FieldType::String, 30,
             QStringLiteral("Cód. Patrimônio"), true);
    addField(m_dataSet, QStringLiteral("DTCOMPETECIAP"), FieldType::DateTime, 0,
             QStringLiteral("Competência"), false);
    TField* coefficient =
        addField(m_dataSet, QStringLiteral("VRCOEFICIAP"), FieldType::Float, 0, {}, false);
    TField* instalment = addField(m_dataSet, QStringLiteral("VRPARCELACIAP"), FieldType::Float, 0,
                                  QStringLiteral("Valor Parcela"), true);
    TField* kind =
        addField(m_dataSet, QStringLiteral("IDTPAPROPPISCOF"), FieldType::String, 2, {}, false);
    TField* toAppropriate = addField(m_dataSet, QStringLiteral("VRAPROPARCCIAP"), FieldType::Float,
                                     0, QStringLiteral("Valor a Apropriar"), true);
    for (TField* f : {coefficient, instalment, toAppropriate})
        f->DisplayFormat = QStringLiteral("#,##0.00");
    // The screen's rule: once the month is appropriated, an asset of type "09" shows its
    // whole instalment.
    toAppropriate->OnGetText = [this, kind, instalment](TField& sender, QString& text, bool) {
        ++m_getTextCalls;
        const bool whole = m_appropriated && kind->AsString() == QLatin1String("09");
        text = floatToStr(RoundDec(whole ? instalment->AsFloat() : sender.AsFloat(), 2));
    };
    m_dataSet.SetData(packet(rows));
    m_source.SetDataSet(&m_dataSet);
}

AssetGrid::~AssetGrid() = default;

void AssetGrid::show() {
    m_grid = std::make_unique<TDBGrid>();
    m_grid->setObjectName(QStringLiteral("dbgBensComp"));
    m_grid->SetDataSource(&m_source);
    m_grid->SetOptions(TDBGrid::dgEditing | TDBGrid::dgTitles | TDBGrid::dgColumnResize |
                       TDBGrid::dgColLines | TDBGrid::dgRowLines | TDBGrid::dgTabs |
                       TDBGrid::dgAlwaysShowSelection | TDBGrid::dgConfirmDelete |
                       TDBGrid::dgCancelOnExit);
    m_grid->AddColumn(QStringLiteral("CDBEMATIVO"), 74, true);
    m_grid->AddColumn(QStringLiteral("NMBEMATIVO"), 262);
    m_grid->AddColumn(QStringLiteral("CDPATRIBEMATIVO"), 104);
    m_grid->AddColumn(QStringLiteral("VRPARCELACIAP"), 82);
    m_grid->AddColumn(QStringLiteral("VRAPROPARCCIAP"), 90);
    // Entering the grid switches editing off on the screen.
    m_grid->SetOption(TDBGrid::dgEditing, false);
    m_grid->resize(Width, Height);
    m_grid->show();
    if (m_frame.isNull())
        m_frame = QImage(m_grid->size(), QImage::Format_ARGB32_Premultiplied);
    paint();
}

void AssetGrid::paint() {
    m_grid->render(&m_frame);
}

void AssetGrid::settle() {
    QApplication::processEvents();
}

int AssetGrid::visibleRows() const {
    const int height = m_grid->viewport()->height();
    const int first = m_grid->rowAt(0);
    const int last = m_grid->rowAt(height - 1);
    if (first < 0)
        return 0;
    return (last < 0 ? m_grid->model()->rowCount() - 1 : last) - first + 1;
}

int AssetGrid::visibleColumns() const {
    int count = 0;
    const int width = m_grid->viewport()->width();
    for (int c = 0; c < m_grid->ColumnCount(); ++c) {
        const int x = m_grid->columnViewportPosition(c);
        if (!m_grid->isColumnHidden(c) && x < width && x + m_grid->columnWidth(c) > 0)
            ++count;
    }
    return count;
}
