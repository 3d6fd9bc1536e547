// The grid window with many rows: a screen costs what its visible rows cost, filling through AddRow and
// SetCellText, and SortRows.
#include "grid/GridControl.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

struct Bound {
    Bound() {
        ui::DialogTemplate t;
        t.id = 201;
        t.title = "BOM Report";
        t.units = ui::Rect::FromSize(0, 0, 300, 200);
        t.controls = {ui::ControlTemplate{ui::ControlKind::Static, 100, "", ui::Rect::FromSize(0, 0, 300, 180),
                                          ui::StyleVisible}};
        dialog = std::make_unique<ui::Dialog>(t);
        dialog->CreateFromTemplate(nullptr);
        grid.BindToDialogControl(dialog.get(), 100);
        grid.SetColumnCount(5, false);
        grid.SetRowHeaderWidth(0);
    }
    ~Bound() {
        grid.Destroy();
        dialog->Destroy();
    }
    void Fill(long rows) {
        for (long row = 0; row < rows; ++row) {
            grid.AddRow();
            for (int col = 0; col < 5; ++col)
                grid.SetCellText(col, row, "part" + std::to_string((row * 7919 + col) % 5003));
        }
    }
    std::unique_ptr<ui::Dialog> dialog;
    vantorel::GridControl grid;
};

void PaintOneScreen(benchmark::State& state) {
    Bound bound;
    bound.Fill(state.range(0));
    bound.grid.SetFirstRow(state.range(0) / 2);
    ui::Rect area = bound.grid.CellArea().ClientRect();
    ui::Image image(area.Width(), area.Height());
    for (auto _ : state) {
        ui::Canvas canvas(image);
        bound.grid.PaintCells(canvas, area);
    }
}
BENCHMARK(PaintOneScreen)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

void AddRowAndSetCellText(benchmark::State& state) {
    for (auto _ : state) {
        Bound bound;
        bound.Fill(100000);
        benchmark::DoNotOptimize(bound.grid.GetRowCount());
    }
}
BENCHMARK(AddRowAndSetCellText)->Unit(benchmark::kMillisecond)->Iterations(3);

void SortRows(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Bound bound;
        bound.Fill(100000);
        state.ResumeTiming();
        bound.grid.SortRows(1, vantorel::SortAscending);
        state.PauseTiming();
        bound.grid.Destroy();
        state.ResumeTiming();
    }
}
BENCHMARK(SortRows)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
