// Counting a selection of 1,000,000 references over 500 block names against a 500-entry catalogue; and 200,000
// references to blocks nested three levels deep, counted plainly and with the nested references.
#include "bom/BlockCensus.h"
#include "bom/BomReport.h"
#include "platform/cad/Host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kBlocks = 500;
static int kReferences = std::getenv("CENSUS_REFS") ? std::atoi(std::getenv("CENSUS_REFS")) : 1000000;

struct Drawing {
    cad::Document* document = nullptr;
    Drawing() {
        cad::Host& host = cad::Host::Instance();
        document = &host.Documents().NewDocument("census.dwg");
        host.Documents().MakeCurrent(document);
        cad::Database& database = document->GetDatabase();
        database.Reserve(kBlocks + kReferences);
        std::vector<cad::ObjectId> blocks;
        for (int b = 0; b < kBlocks; ++b) {
            auto record = std::make_unique<cad::BlockTableRecord>();
            record->name = "PART" + std::to_string(b);
            cad::ObjectId id = cad::kNullId;
            [[maybe_unused]] cad::ErrorStatus added = database.AddRecord(database.BlockTableId(), std::move(record), &id);
            blocks.push_back(id);
        }
        for (int r = 0; r < kReferences; ++r) {
            auto reference = database.Make<cad::BlockReference>();
            reference->blockId = blocks[static_cast<std::size_t>((static_cast<long long>(r) * 7919) % kBlocks)];
            cad::ObjectId id = cad::kNullId;
            [[maybe_unused]] cad::ErrorStatus appended =
                database.AppendEntity(database.ModelSpaceId(), std::move(reference), &id);
        }
    }
};

void CountMillionReferences(benchmark::State& state) {
    static Drawing s_drawing;
    cad::Editor& editor = cad::Host::Instance().GetEditor();
    for (auto _ : state) {
        state.PauseTiming();
        vantorel::BomReport report;
        for (int b = 0; b < kBlocks; ++b)
            report.AppendRow(vantorel::ReportRow{"part" + std::to_string(b), 1.25, 0, "a part", 0.0});
        editor.Script().Push(cad::SelectionAnswer{true, {}});
        state.ResumeTiming();
        vantorel::BlockCensus census;
        bool counted = census.CountSelection(report);
        benchmark::DoNotOptimize(counted);
        if (!counted || report.Rows()[0].quantity != kReferences / kBlocks)
            state.SkipWithError("the census did not count every reference");
    }
    state.SetItemsProcessed(state.iterations() * kReferences);
}
BENCHMARK(CountMillionReferences)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// 40 rooms, each holding 2 of 10 desks, each desk holding 3 of 5 parts; 200,000 rooms placed.
struct NestedDrawing {
    static constexpr int kRooms = 40;
    static constexpr int kPlaced = 200000;
    cad::Document* document = nullptr;
    NestedDrawing() {
        cad::Host& host = cad::Host::Instance();
        document = &host.Documents().NewDocument("nested.dwg");
        host.Documents().MakeCurrent(document);
        cad::Database& database = document->GetDatabase();
        database.Reserve(kPlaced + 200);
        auto block = [&database](const std::string& name) {
            auto record = std::make_unique<cad::BlockTableRecord>();
            record->name = name;
            cad::ObjectId id = cad::kNullId;
            [[maybe_unused]] cad::ErrorStatus added = database.AddRecord(database.BlockTableId(), std::move(record), &id);
            return id;
        };
        auto place = [&database](cad::ObjectId in, cad::ObjectId placed) {
            auto reference = database.Make<cad::BlockReference>();
            reference->blockId = placed;
            cad::ObjectId id = cad::kNullId;
            [[maybe_unused]] cad::ErrorStatus appended = database.AppendEntity(in, std::move(reference), &id);
        };
        std::vector<cad::ObjectId> parts, desks, rooms;
        for (int i = 0; i < 5; ++i)
            parts.push_back(block("PART" + std::to_string(i)));
        for (int i = 0; i < 10; ++i) {
            desks.push_back(block("DESK" + std::to_string(i)));
            for (int k = 0; k < 3; ++k)
                place(desks.back(), parts[static_cast<std::size_t>((i + k) % 5)]);
        }
        for (int i = 0; i < kRooms; ++i) {
            rooms.push_back(block("ROOM" + std::to_string(i)));
            for (int k = 0; k < 2; ++k)
                place(rooms.back(), desks[static_cast<std::size_t>((i + k) % 10)]);
        }
        for (int r = 0; r < kPlaced; ++r)
            place(database.ModelSpaceId(), rooms[static_cast<std::size_t>((static_cast<long long>(r) * 7919) % kRooms)]);
    }
};

// Argument 0: the plain census; 1: nested references counted too (BOMNESTED 1); 2: MINSERT grids (BOMMINSERT 1).
void CountNestedRooms(benchmark::State& state) {
    static NestedDrawing s_drawing;
    cad::Host& host = cad::Host::Instance();
    host.Documents().MakeCurrent(s_drawing.document);
    cad::Editor& editor = host.GetEditor();
    [[maybe_unused]] int set = editor.SetVariable(state.range(0) == 2 ? "BOMMINSERT" : "BOMNESTED", cad::VariableValue{static_cast<std::int16_t>(state.range(0) ? 1 : 0)});
    for (auto _ : state) {
        state.PauseTiming();
        vantorel::BomReport report;
        report.AppendRow(vantorel::ReportRow{"part0", 1.25, 0, "a part", 0.0});
        editor.Script().Push(cad::SelectionAnswer{true, {}});
        state.ResumeTiming();
        vantorel::BlockCensus census;
        bool counted = census.CountSelection(report);
        benchmark::DoNotOptimize(counted);
        if (!counted)
            state.SkipWithError("the census did not count");
    }
    for (const char* name : {"BOMNESTED", "BOMMINSERT"})
        set = editor.SetVariable(name, cad::VariableValue{std::int16_t{0}});
    state.SetItemsProcessed(state.iterations() * NestedDrawing::kPlaced);
}
BENCHMARK(CountNestedRooms)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
