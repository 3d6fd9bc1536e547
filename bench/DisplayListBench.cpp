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
#include <filesystem>
#include <memory>

namespace {

// Anonymous resident memory now, in megabytes (not the drawing file's mapped pages): what reading the drawing and
// building its list each add is the difference.
double ResidentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("RssAnon:", 0) == 0)
            return std::strtod(line.c_str() + 8, nullptr) / 1000.0; // kB
    return 0.0;
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
    // The drawing kept for the others is read first, so that its memory is measured in a process that has freed none.
    Drawing();
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
    // Megabytes the drawing's objects took as read, and the list as built.
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

// After a command: the list checked against the drawing (0: nothing changed), and patched with a line the command
// added (1). Last, as it adds to the drawing the others read.
void RefreshAfterCommand(benchmark::State& state) {
    static render::Scene scene;
    static bool built = false;
    auto& db = const_cast<cad::Database&>(Drawing());
    if (!built) {
        scene.Build(db);
        built = true;
    }
    for (auto _ : state) {
        if (state.range(0) == 1) {
            state.PauseTiming();
            auto line = db.Make<cad::Line>();
            line->end = cad::Point3d{10, 10, 0};
            cad::ObjectId id = cad::kNullId;
            if (db.AppendEntity(db.ModelSpaceId(), std::move(line), &id) != cad::ErrorStatus::Ok)
                std::abort();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(scene.Refresh(db));
    }
}
BENCHMARK(RefreshAfterCommand)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
