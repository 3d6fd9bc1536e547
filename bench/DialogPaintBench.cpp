// Painting a dialog the size of "BOM Report" (394 x 277 dialog units) with its buttons into an image.
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"

#include <benchmark/benchmark.h>

namespace {

void PaintReportSizedDialog(benchmark::State& state) {
    ui::DialogTemplate t;
    t.title = "BOM Report";
    t.units = ui::Rect::FromSize(0, 0, 394, 277);
    const char* buttons[] = {"Save As", "Insert", "Attach New", "Close"};
    for (int i = 0; i < 4; ++i)
        t.controls.push_back(ui::ControlTemplate{ui::ControlKind::Button, 100 + i, buttons[i],
                                                 ui::Rect::FromSize(337, 7 + 18 * i, 50, 14),
                                                 ui::StyleVisible | ui::StyleTabStop});
    t.controls.push_back(ui::ControlTemplate{ui::ControlKind::CheckBox, 110, "Show Price",
                                             ui::Rect::FromSize(337, 90, 50, 10), ui::StyleVisible | ui::StyleTabStop});
    t.controls.push_back(ui::ControlTemplate{ui::ControlKind::ListBox, 120, "", ui::Rect::FromSize(7, 7, 322, 263),
                                             ui::StyleVisible | ui::StyleTabStop});
    ui::Dialog dialog(t);
    dialog.CreateFromTemplate(nullptr);
    auto* list = static_cast<ui::ListBox*>(dialog.Control(120));
    for (int i = 0; i < 200; ++i)
        list->AddItem("part" + std::to_string(i) + "    12.50    3    a part    37.50");
    for (auto _ : state) {
        auto image = ui::WindowSystem::Instance().Render(dialog);
        benchmark::DoNotOptimize(image->Pixel(1, 1));
    }
    dialog.Destroy();
}
BENCHMARK(PaintReportSizedDialog)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
