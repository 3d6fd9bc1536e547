#include "grid/CellDataSource.h"

#include <cstring>
#include <iterator>

namespace vantorel {

int DefaultCompareCells(const GridCell* a, const GridCell* b, int flags) {
    if (flags & SortDescending)
        std::swap(a, b);
    if (!a || !b)
        return !a && !b ? 0 : !a ? -1 : 1;
    const char* aText = a->GetText();
    const char* bText = b->GetText();
    if (!aText || !bText)
        return !aText && !bText ? 0 : !aText ? -1 : 1;
    int kind = a->GetValueKind();
    if (kind == ValueNumber || kind == ValueBoolean || kind == 5) {
        double x = a->GetNumber();
        double y = b->GetNumber();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    int order = std::strcmp(aText, bText);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int MemoryDataSource::Sort(const int* columns, int columnCount, int flags, CellComparer& comparer) {
    if (m_rows.empty())
        return SourceFound;
    // Header rows stay where they are.
    RowIt first = m_rows.begin();
    long index = m_firstRow;
    while (first != m_rows.end() && index < 0) {
        ++first;
        ++index;
    }
    std::vector<RowNode> rows;
    for (RowIt it = first; it != m_rows.end(); ++it)
        rows.push_back(std::move(*it));
    // The key cells of each row, looked up once.
    std::size_t keys = columnCount > 0 ? static_cast<std::size_t>(columnCount) : 0;
    std::vector<const GridCell*> keyCells(rows.size() * keys, nullptr);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const RowNode& node = rows[r];
        for (std::size_t k = 0; k < keys; ++k) {
            int col = columns[k];
            if (col < node.firstColumn || col >= node.firstColumn + static_cast<int>(node.cells.size()))
                continue;
            auto cell = std::next(node.cells.begin(), col - node.firstColumn);
            keyCells[r * keys + k] = cell->has_value() ? &**cell : nullptr;
        }
    }
    // True when `lower` must come before `upper`: the first key that is not a tie decides, as a swap would.
    auto goesBelow = [&](std::size_t upper, std::size_t lower) {
        for (std::size_t k = 0; k < keys; ++k) {
            int order = comparer.OnCompareCells(keyCells[upper * keys + k], keyCells[lower * keys + k], flags);
            if (order != 0)
                return order > 0;
        }
        return false;
    };
    // A stable bottom-up merge. For every consistent comparison it leaves the rows in the very order that
    // passes of adjacent swaps until none is needed would. A comparison need not be consistent: a column of
    // mixed value kinds compares a number with a text by their numbers but the text with the number by their
    // texts, and then swap passes may never come to rest. The merge ends after n log n comparisons whatever
    // the comparison says.
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::vector<std::size_t> buffer(order.size());
    for (std::size_t width = 1; width < order.size(); width *= 2) {
        for (std::size_t left = 0; left < order.size(); left += 2 * width) {
            std::size_t middle = std::min(left + width, order.size());
            std::size_t right = std::min(left + 2 * width, order.size());
            std::size_t i = left;
            std::size_t j = middle;
            std::size_t out = left;
            while (i < middle && j < right)
                buffer[out++] = goesBelow(order[i], order[j]) ? order[j++] : order[i++];
            while (i < middle)
                buffer[out++] = order[i++];
            while (j < right)
                buffer[out++] = order[j++];
        }
        order.swap(buffer);
    }
    RowIt it = first;
    for (std::size_t r = 0; r < order.size(); ++r, ++it)
        *it = std::move(rows[order[r]]);
    m_lastRow = first;
    m_lastRowIndex = index;
    m_hasLastCell = false;
    return SourceFound;
}

} // namespace vantorel
