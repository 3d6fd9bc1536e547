#include "grid/CellDataSource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using vantorel::GridCell;
using vantorel::MemoryDataSource;

struct FunctionComparer : vantorel::CellComparer {
    std::function<int(const GridCell*, const GridCell*, int)> compare;
    int calls = 0;
    int OnCompareCells(const GridCell* a, const GridCell* b, int flags) override {
        ++calls;
        return compare(a, b, flags);
    }
};

// The order the adjacent-swap passes give, worked out the slow way on a copy of the key cells.
std::vector<int> ReferenceOrder(const std::vector<std::vector<std::optional<GridCell>>>& cells,
                                const std::vector<int>& keys, int flags, vantorel::CellComparer& comparer) {
    std::vector<int> order(cells.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    auto cellOf = [&](int row, int col) -> const GridCell* {
        const auto& cell = cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
        return cell ? &*cell : nullptr;
    };
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (std::size_t i = 0; i + 1 < order.size(); ++i) {
            for (int key : keys) {
                int result = comparer.OnCompareCells(cellOf(order[i], key), cellOf(order[i + 1], key), flags);
                if (result > 0) {
                    std::swap(order[i], order[i + 1]);
                    swapped = true;
                }
                if (result != 0)
                    break;
            }
        }
    }
    return order;
}

TEST(MemoryDataSourceSort, GivesExactlyTheOrderOfTheAdjacentSwapPasses) {
    std::uint64_t seed = 42;
    auto next = [&seed](unsigned range) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>(seed >> 33) % range;
    };
    struct Case {
        std::vector<int> keys;
        int flags;
        std::function<int(const GridCell*, const GridCell*, int)> compare;
    };
    auto byLength = [](const GridCell* a, const GridCell* b, int) {
        std::size_t x = a && a->GetText() ? std::strlen(a->GetText()) : 0;
        std::size_t y = b && b->GetText() ? std::strlen(b->GetText()) : 0;
        return x < y ? -1 : x > y ? 1 : 0;
    };
    std::vector<Case> cases = {{{0}, vantorel::SortAscending, vantorel::DefaultCompareCells},
                               {{0}, vantorel::SortDescending, vantorel::DefaultCompareCells},
                               {{1, 2}, vantorel::SortAscending, vantorel::DefaultCompareCells},
                               {{2, 0}, vantorel::SortDescending, vantorel::DefaultCompareCells},
                               {{1}, vantorel::SortAscending, byLength}};
    for (const Case& c : cases) {
        for (int trial = 0; trial < 4; ++trial) {
            int rows = 1 + static_cast<int>(next(120));
            MemoryDataSource store;
            GridCell header;
            header.SetText("header");
            store.WriteCell(0, -1, header);
            std::vector<std::vector<std::optional<GridCell>>> cells(static_cast<std::size_t>(rows),
                                                                    std::vector<std::optional<GridCell>>(3));
            for (int r = 0; r < rows; ++r) {
                for (int col = 0; col < 3; ++col) {
                    unsigned shape = next(10);
                    if (shape == 0)
                        continue; // absent
                    GridCell cell;
                    if (shape == 1)
                        cell.SetUserValue(1); // no text
                    else if (col == 1)
                        cell.SetNumber(static_cast<double>(next(5)));
                    else
                        cell.SetText(std::string(1 + next(3), static_cast<char>('a' + next(3))));
                    cell.SetUserValue(r); // which row it came from
                    store.WriteCell(col, r, cell);
                    cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)] = cell;
                }
                // A fourth column, never a key, gives every row a node even when its keys are all absent.
                GridCell marker;
                marker.SetUserValue(r);
                store.WriteCell(3, r, marker);
            }
            FunctionComparer comparer;
            comparer.compare = c.compare;
            std::vector<int> expected = ReferenceOrder(cells, c.keys, c.flags, comparer);
            comparer.calls = 0;
            ASSERT_EQ(store.Sort(c.keys.data(), static_cast<int>(c.keys.size()), c.flags, comparer), vantorel::SourceFound);
            for (int r = 0; r < rows; ++r) {
                const auto& original = cells[static_cast<std::size_t>(expected[static_cast<std::size_t>(r)])];
                for (int col = 0; col < 3; ++col) {
                    GridCell found;
                    int result = store.ReadCell(col, r, &found);
                    const auto& want = original[static_cast<std::size_t>(col)];
                    ASSERT_EQ(result == vantorel::SourceFound, want.has_value()) << "row " << r << " col " << col;
                    if (want) {
                        ASSERT_EQ(found.GetUserValue(), want->GetUserValue()) << "row " << r << " col " << col;
                    }
                }
            }
            GridCell kept;
            ASSERT_EQ(store.ReadCell(0, -1, &kept), vantorel::SourceFound);
            EXPECT_STREQ(kept.GetText(), "header");
        }
    }
}

TEST(DefaultCellComparison, AbsentThenTextlessThenByKind) {
    GridCell none;
    none.SetUserValue(1);
    GridCell two;
    two.SetNumber(2);
    GridCell ten;
    ten.SetNumber(10);
    GridCell word;
    word.SetText("b");
    GridCell other;
    other.SetText("a");
    EXPECT_EQ(vantorel::DefaultCompareCells(nullptr, nullptr, 1), 0);
    EXPECT_EQ(vantorel::DefaultCompareCells(nullptr, &two, 1), -1);
    EXPECT_EQ(vantorel::DefaultCompareCells(&none, &two, 1), -1);
    EXPECT_EQ(vantorel::DefaultCompareCells(&two, &ten, 1), -1); // as numbers, not as texts
    EXPECT_EQ(vantorel::DefaultCompareCells(&two, &ten, vantorel::SortDescending), 1);
    EXPECT_EQ(vantorel::DefaultCompareCells(&word, &other, 1), 1);
}

} // namespace
