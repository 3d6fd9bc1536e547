// The live editor's view of a big drawing: 200,000 references of 40 blocks on a 500 x 400 grid, read into the
// view's scene once, then painted as a frame of the whole drawing, of a tenth of it and of a room's worth.
// A frame must stay within 16 ms.
#include "render/Scene.h"

#include "platform/cad/Database.h"
#include "platform/ui/Canvas.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr int kBlocks = 40;
constexpr int kColumns = 500;
constexpr int kRows = 400;

// Each block a desk of four lines, a chair circle and an arc, a little different from the next.
std::unique_ptr<cad::Database> BigDrawing() {
    auto db = std::make_unique<cad::Database>();
    std::vector<cad::ObjectId> blocks;
    for (int b = 0; b < kBlocks; ++b) {
        auto record = db->Make<cad::BlockTableRecord>();
        record->name = "PART" + std::to_string(b);
        cad::ObjectId id = cad::kNullId;
        if (db->AddRecord(db->BlockTableId(), std::move(record), &id) != cad::ErrorStatus::Ok)
            continue;
        double w = 1.0 + 0.02 * b;
        const double corners[5][2] = {{0, 0}, {w, 0}, {w, 0.6}, {0, 0.6}, {0, 0}};
        for (int i = 0; i < 4; ++i) {
            auto line = db->Make<cad::Line>();
            line->start = cad::Point3d{corners[i][0], corners[i][1], 0};
            line->end = cad::Point3d{corners[i + 1][0], corners[i + 1][1], 0};
            cad::ObjectId out = cad::kNullId;
            [[maybe_unused]] auto added = db->AppendEntity(id, std::move(line), &out);
        }
        auto circle = db->Make<cad::Circle>();
        circle->center = cad::Point3d{w / 2, 0.9, 0};
        circle->radius = 0.2;
        cad::ObjectId out = cad::kNullId;
        [[maybe_unused]] auto added = db->AppendEntity(id, std::move(circle), &out);
        auto arc = db->Make<cad::Arc>();
        arc->center = cad::Point3d{w / 2, 0.6, 0};
        arc->radius = 0.3;
        arc->startAngle = 0;
        arc->endAngle = 3.14159;
        added = db->AppendEntity(id, std::move(arc), &out);
        blocks.push_back(id);
    }
    db->Reserve(static_cast<std::size_t>(kColumns) * kRows);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            auto reference = db->Make<cad::BlockReference>();
            reference->blockId = blocks[static_cast<std::size_t>((r * kColumns + c) % kBlocks)];
            reference->position = cad::Point3d{c * 2.0, r * 2.0, 0};
            reference->rotation = ((r + c) % 4) * 0.5;
            cad::ObjectId out = cad::kNullId;
            [[maybe_unused]] auto added = db->AppendEntity(db->ModelSpaceId(), std::move(reference), &out);
        }
    }
    return db;
}

const cad::Database& Drawing() {
    static std::unique_ptr<cad::Database> db = BigDrawing();
    return *db;
}

const render::Scene& BuiltScene() {
    static render::Scene scene = [] {
        render::Scene s;
        s.Build(Drawing());
        return s;
    }();
    return scene;
}

void BuildScene(benchmark::State& state) {
    for (auto _ : state) {
        render::Scene scene;
        scene.Build(Drawing());
        benchmark::DoNotOptimize(scene.GroupCount());
    }
    state.counters["references"] = static_cast<double>(BuiltScene().GroupCount());
    state.counters["segments"] = static_cast<double>(BuiltScene().SegmentCount());
}
BENCHMARK(BuildScene)->Unit(benchmark::kMillisecond)->Iterations(3);

// A frame of a view of 1280 x 710 pixels showing 1 (everything), 1/10 or 1/250 of the drawing's width.
void PaintFrame(benchmark::State& state) {
    const render::Scene& scene = BuiltScene();
    render::ViewTransform view;
    view.width = 1280;
    view.height = 710;
    view.Fit(scene.Extents());
    view.scale *= static_cast<double>(state.range(0));
    ui::Image image(view.width, view.height);
    std::vector<cad::ObjectId> none;
    for (auto _ : state) {
        scene.Render(image, view, none, false);
        benchmark::DoNotOptimize(image.Pixel(1, 1));
    }
}
BENCHMARK(PaintFrame)->Arg(1)->Arg(10)->Arg(250)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
