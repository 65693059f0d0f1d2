#pragma once

#include "DataPacket.h"
#include "TClientDataSet.h"
#include "TDataSource.h"

#include <QImage>
#include <memory>

class TDBGrid;

// The screen's asset grid (dbgBensComp) over its data set, outside the screen: the same
// fields, captions, formats, columns, options and text rule on VRAPROPARCCIAP, shown at the
// size the grid has on the screen at its design size.
class AssetGrid final {
public:
    static constexpr int Width = 743;
    static constexpr int Height = 242;

    explicit AssetGrid(int rows);
    ~AssetGrid();
    AssetGrid(const AssetGrid&) = delete;
    AssetGrid& operator=(const AssetGrid&) = delete;

    static ciap::DataPacket packet(int rows);

    // Builds the grid, binds it and shows it; the data set is filled already.
    void show();
    // Draws the whole grid into the frame, the way a repaint of the window draws it.
    void paint();
    // Lets the window take its pending events (layouts, its own repaint), outside a measure.
    static void settle();

    TDBGrid* grid() const { return m_grid.get(); }
    TClientDataSet& dataSet() { return m_dataSet; }
    int rows() const { return m_rows; }
    int visibleRows() const;
    int visibleColumns() const;
    qint64 getTextCalls() const { return m_getTextCalls; }
    const QImage& frame() const { return m_frame; }

private:
    int m_rows;
    TClientDataSet m_dataSet;
    TDataSource m_source;
    std::unique_ptr<TDBGrid> m_grid;
    QImage m_frame;
    qint64 m_getTextCalls = 0;
    bool m_appropriated = true; // the month's situation: "A" takes the whole-instalment branch
};
