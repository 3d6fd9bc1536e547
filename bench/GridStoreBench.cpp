// The grid's cell store with 100,000 rows of five cells: filling it, and sorting it by one column.
#include "grid/CellDataSource.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr long kRows = 100000;

void Fill(vantorel::MemoryDataSource& store) {
    for (long row = 0; row < kRows; ++row) {
        for (int col = 0; col < 5; ++col) {
            vantorel::GridCell cell;
            cell.SetText("part" + std::to_string((row * 7919 + col) % 5003));
            store.WriteCell(col, row, cell);
        }
    }
}

void FillHundredThousandRows(benchmark::State& state) {
    for (auto _ : state) {
        vantorel::MemoryDataSource store;
        Fill(store);
        benchmark::DoNotOptimize(store.RowNodeCount());
    }
}
BENCHMARK(FillHundredThousandRows)->Unit(benchmark::kMillisecond);

struct Default : vantorel::CellComparer {
    int OnCompareCells(const vantorel::GridCell* a, const vantorel::GridCell* b, int flags) override {
        return vantorel::DefaultCompareCells(a, b, flags);
    }
};

void SortHundredThousandRows(benchmark::State& state) {
    Default comparer;
    for (auto _ : state) {
        state.PauseTiming();
        vantorel::MemoryDataSource store;
        Fill(store);
        state.ResumeTiming();
        int column = 0;
        benchmark::DoNotOptimize(store.Sort(&column, 1, vantorel::SortAscending, comparer));
    }
}
BENCHMARK(SortHundredThousandRows)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
