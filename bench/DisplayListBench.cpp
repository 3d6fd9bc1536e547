// The display list of the mixed drawing of a million entities (bench/mixed_load.py makes build/bench/mixed.dxf):
// reading it, building the list, the first full frame of the live view and of a plot, and a frame zoomed in on a
// corner, at 1600 x 1000. The figures: building <= 0.5 x reading, the first frame <= 1 s, a pan or zoom
// frame <= 33 ms.
#include "render/Scene.h"

#include "platform/cad/dxf/DxfReader.h"
#include "platform/ui/Canvas.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <unistd.h>
#include <filesystem>
#include <memory>

namespace {

// Resident memory now, in megabytes: what reading the drawing and building its list each add is the difference.
double ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}
double g_drawingMb = 0.0;
double g_listMb = 0.0;

std::string MixedDrawing() {
    const char* given = std::getenv("VANTOREL_MIXED_DXF");
    return given ? given : "build/bench/mixed.dxf";
}

const cad::Database& Drawing() {
    static std::unique_ptr<cad::Database> db = [] {
        double before = ResidentMb();
        std::unique_ptr<cad::Database> read;
        if (!cad::ReadDxfFile(MixedDrawing(), cad::CodePage::Default(), read).Ok())
            std::abort();
        g_drawingMb = ResidentMb() - before;
        return read;
    }();
    return *db;
}

const render::Scene& Built() {
    static render::Scene scene = [] {
        const cad::Database& db = Drawing();
        double before = ResidentMb();
        render::Scene s;
        s.Build(db);
        g_listMb = ResidentMb() - before;
        return s;
    }();
    return scene;
}

void ReadDrawing(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<cad::Database> db;
        benchmark::DoNotOptimize(cad::ReadDxfFile(MixedDrawing(), cad::CodePage::Default(), db).Ok());
    }
}
BENCHMARK(ReadDrawing)->Unit(benchmark::kMillisecond)->Iterations(3);

void BuildDisplayList(benchmark::State& state) {
    const cad::Database& db = Drawing();
    for (auto _ : state) {
        render::Scene scene;
        scene.Build(db);
        benchmark::DoNotOptimize(scene.GroupCount());
    }
    state.counters["groups"] = static_cast<double>(Built().GroupCount());
    state.counters["segments"] = static_cast<double>(Built().SegmentCount());
    // Resident megabytes the drawing took as read (its file's bytes too), and the list as built.
    state.counters["drawing_MB"] = g_drawingMb;
    state.counters["list_MB"] = g_listMb;
}
BENCHMARK(BuildDisplayList)->Unit(benchmark::kMillisecond)->Iterations(3);

// 0: the live view's whole drawing; 1: a plot's (antialiased strokes); 2: the view zoomed 200 times on a corner.
void Frame(benchmark::State& state) {
    const render::Scene& scene = Built();
    render::ViewTransform view;
    view.width = 1600;
    view.height = 1000;
    view.Fit(scene.Extents());
    if (state.range(0) == 2) {
        view.scale *= 200;
        view.centreX = scene.Extents().minX + 800 / view.scale;
        view.centreY = scene.Extents().minY + 500 / view.scale;
    }
    render::PaintStyle style;
    style.pixelLines = state.range(0) != 1;
    ui::Image image(view.width, view.height);
    for (auto _ : state) {
        cairo_t* cr = cairo_create(image.Surface());
        scene.Paint(cr, &image, view, style, {});
        cairo_destroy(cr);
    }
}
BENCHMARK(Frame)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

// The live view as the editor paints it (Render): its first frame of the whole drawing, then frames panned a few
// pixels (0) and zoomed in steps of a wheel's notch up to twice and more (1) from there, at 1600 x 1000.
render::ViewTransform WholeView() {
    render::ViewTransform view;
    view.width = 1600;
    view.height = 1000;
    view.Fit(Built().Extents());
    return view;
}

void FirstViewFrame(benchmark::State& state) {
    const render::Scene& scene = Built();
    render::ViewTransform view = WholeView();
    ui::Image image(view.width, view.height);
    for (auto _ : state)
        scene.Render(image, view, {}, false);
}
BENCHMARK(FirstViewFrame)->Unit(benchmark::kMillisecond)->Iterations(1);

void ViewFrame(benchmark::State& state) {
    const render::Scene& scene = Built();
    render::ViewTransform whole = WholeView();
    ui::Image image(whole.width, whole.height);
    int step = 0;
    for (auto _ : state) {
        render::ViewTransform view = whole;
        ++step;
        if (state.range(0) == 0) {
            view.centreX += (step % 20) * 7 / view.scale;
            view.centreY -= (step % 13) * 5 / view.scale;
        } else {
            view.scale *= std::pow(1.1, step % 10);
        }
        scene.Render(image, view, {}, false);
    }
}
BENCHMARK(ViewFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace

BENCHMARK_MAIN();
