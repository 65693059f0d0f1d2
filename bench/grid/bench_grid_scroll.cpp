// The asset grid over 1,000 and 100,000 rows, offscreen at the screen's size: the first paint,
// a page-by-page pass through the whole table (mean and worst page: smoothness is the worst
// frame), paging with the keyboard (the cursor follows), jumps to random rows, and the work
// per visible cell at both sizes, which must not grow with the row count.
#include "AssetGrid.h"
#include "TDBGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <map>
#include <memory>
#include <random>

namespace {

constexpr int SmallTable = 1000;
constexpr int LargeTable = 100000;

// Filling 100,000 rows takes a while: each size is built once for all the benchmarks.
AssetGrid& sharedGrid(int rows) {
    static std::map<int, std::unique_ptr<AssetGrid>> grids;
    auto& grid = grids[rows];
    if (!grid) {
        grid = std::make_unique<AssetGrid>(rows);
        grid->show();
        AssetGrid::settle();
    }
    return *grid;
}

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double wallMs(const std::chrono::steady_clock::time_point& since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

void sendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &release);
}

// A new grid bound to a filled data set, shown and drawn once: what the user waits for when
// the assets tab opens.
void BM_FirstPaint(benchmark::State& state) {
    AssetGrid& grid = sharedGrid(int(state.range(0)));
    for (auto _ : state) {
        grid.show();
        state.PauseTiming();
        AssetGrid::settle();
        state.ResumeTiming();
    }
    state.counters["rows"] = grid.rows();
}

// One pass through the whole table with the scroll bar, a page at a time, each page drawn.
void BM_ScrollWholeTable(benchmark::State& state) {
    AssetGrid& grid = sharedGrid(int(state.range(0)));
    TDBGrid* view = grid.grid();
    QScrollBar* bar = view->verticalScrollBar();
    double total = 0;
    double worst = 0;
    int pages = 0;
    for (auto _ : state) {
        bar->setValue(0);
        AssetGrid::settle();
        for (;;) {
            const auto start = std::chrono::steady_clock::now();
            bar->setValue(bar->value() + bar->pageStep());
            grid.paint();
            const double ms = wallMs(start);
            total += ms;
            worst = std::max(worst, ms);
            ++pages;
            // The view scrolls by whole rows: the page drawn starts where the bar says (the
            // last one is aligned to the bottom instead).
            if (bar->value() < bar->maximum() && view->rowAt(0) != bar->value()) {
                state.SkipWithError("the grid did not scroll to the page");
                break;
            }
            if (pages % 256 == 0) {
                state.PauseTiming();
                AssetGrid::settle();
                state.ResumeTiming();
            }
            if (bar->value() >= bar->maximum())
                break;
        }
    }
    state.counters["pages"] = double(pages) / double(state.iterations());
    state.counters["ms_per_page"] = total / double(pages);
    state.counters["worst_page_ms"] = worst;
    // CIAP_BENCH_GRID_FRAME=file.png keeps the last page drawn, to see what was measured.
    const QString frameFile = qEnvironmentVariable("CIAP_BENCH_GRID_FRAME");
    if (!frameFile.isEmpty())
        grid.frame().save(frameFile);
}

// Page Down in the grid: the data set's cursor follows each page.
void BM_PageDownKey(benchmark::State& state) {
    AssetGrid& grid = sharedGrid(int(state.range(0)));
    TDBGrid* view = grid.grid();
    view->setCurrentIndex(view->model()->index(0, 0));
    for (auto _ : state) {
        if (grid.dataSet().currentRow() >= grid.rows() - 1)
            sendKey(view, Qt::Key_Home, Qt::ControlModifier);
        else
            sendKey(view, Qt::Key_PageDown);
        grid.paint();
        state.PauseTiming();
        AssetGrid::settle();
        state.ResumeTiming();
    }
    state.counters["cursor_row"] = grid.dataSet().currentRow();
}

// A jump to a random row (a search, a Locate): cursor moved, the row scrolled into view,
// the page drawn.
void BM_JumpToRandomRow(benchmark::State& state) {
    AssetGrid& grid = sharedGrid(int(state.range(0)));
    TDBGrid* view = grid.grid();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> rows(0, grid.rows() - 1);
    for (auto _ : state) {
        const int row = rows(random);
        view->setCurrentIndex(view->model()->index(row, 1));
        view->scrollTo(view->currentIndex(), QAbstractItemView::PositionAtCenter);
        grid.paint();
        state.PauseTiming();
        if (grid.dataSet().currentRow() != row)
            state.SkipWithError("the data set's cursor did not follow the grid");
        AssetGrid::settle();
        state.ResumeTiming();
    }
}

struct CellWork {
    double cpuMicrosPerCell = 0;
    double getTextPerRow = 0; // text-rule evaluations per visible row and repaint
};

CellWork measureCellWork(AssetGrid& grid, int repaints) {
    QScrollBar* bar = grid.grid()->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    AssetGrid::settle();
    const qint64 calls = grid.getTextCalls();
    const double start = cpuSeconds();
    for (int i = 0; i < repaints; ++i)
        grid.paint();
    const double seconds = cpuSeconds() - start;
    const double cells = double(grid.visibleRows()) * grid.visibleColumns() * repaints;
    return {seconds * 1e6 / cells,
            double(grid.getTextCalls() - calls) / (double(grid.visibleRows()) * repaints)};
}

// The same page drawn over 1,000 and over 100,000 rows: the cost of a visible cell, and how
// often the text rule runs per visible row, must be the same at both sizes.
void BM_WorkPerVisibleCell(benchmark::State& state) {
    AssetGrid& small = sharedGrid(SmallTable);
    AssetGrid& large = sharedGrid(LargeTable);
    CellWork smallWork;
    CellWork largeWork;
    for (auto _ : state) {
        smallWork = measureCellWork(small, 100);
        largeWork = measureCellWork(large, 100);
    }
    state.counters["us_per_cell_1k"] = smallWork.cpuMicrosPerCell;
    state.counters["us_per_cell_100k"] = largeWork.cpuMicrosPerCell;
    state.counters["cost_ratio_100k_1k"] = largeWork.cpuMicrosPerCell / smallWork.cpuMicrosPerCell;
    state.counters["gettext_per_row_1k"] = smallWork.getTextPerRow;
    state.counters["gettext_per_row_100k"] = largeWork.getTextPerRow;
    state.counters["visible_cells"] = double(large.visibleRows() * large.visibleColumns());
    if (largeWork.getTextPerRow > smallWork.getTextPerRow + 1e-9)
        state.SkipWithError("the text rule runs more often per visible row in the larger table");
}

} // namespace

BENCHMARK(BM_FirstPaint)
    ->Arg(SmallTable)
    ->Arg(LargeTable)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollWholeTable)
    ->Arg(SmallTable)
    ->Arg(LargeTable)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageDownKey)
    ->Arg(SmallTable)
    ->Arg(LargeTable)
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_JumpToRandomRow)
    ->Arg(SmallTable)
    ->Arg(LargeTable)
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WorkPerVisibleCell)->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
