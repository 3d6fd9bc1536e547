// Counting a selection of 1,000,000 references over 500 block names against a 500-entry catalogue.
#include "bom/BlockCensus.h"
#include "bom/BomReport.h"
#include "platform/cad/Host.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

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

} // namespace

BENCHMARK_MAIN();
