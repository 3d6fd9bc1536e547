// The report shown again over a grid that already holds a report as long (a new catalogue attached): every
// old row deleted from the grid and its store, then the new rows and the summary appended.
#include "dialogs/ReportGrid.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void ShowReportAgain(benchmark::State& state) {
    ui::DialogTemplate t;
    t.title = "BOM Report";
    t.units = ui::Rect::FromSize(0, 0, 394, 277);
    t.controls = {{ui::ControlKind::Placeholder, 216, "", ui::Rect::FromSize(7, 25, 380, 215), ui::StyleVisible}};
    ui::Dialog dialog(t);
    dialog.CreateFromTemplate(nullptr);
    vantorel::ReportGrid grid;
    grid.BindToDialogControl(&dialog, 216);
    vantorel::BomReport report;
    for (long i = 0; i < state.range(0); ++i)
        report.AppendRow(vantorel::ReportRow{"part" + std::to_string(i), 12.5, 3, "a part", 37.5});
    grid.ShowReport(report);
    for (auto _ : state) {
        grid.ShowReport(report);
        benchmark::DoNotOptimize(grid.GetRowCount());
    }
    grid.Destroy();
    dialog.Destroy();
}
BENCHMARK(ShowReportAgain)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
