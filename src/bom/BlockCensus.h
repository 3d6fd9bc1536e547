#pragma once

#include "bom/BomReport.h"
#include "bom/CensusSwitches.h"
#include "host/HostServices.h"

#include <cstdint>

namespace vantorel {

// Counts the block references the user selects into a report's rows: a catalogued block's row grows by
// one and by its item price per reference, any other block gets an unpriced row of its own.
class BlockCensus {
public:
    // Restricts the report to catalogued blocks: references of other blocks are not counted at all. Off
    // unless a caller sets it.
    bool cataloguedOnly = false;

    // The host's object selection, keeping block references only; true only when the host answers RTNORM.
    [[nodiscard]] bool SelectBlockReferences(ads_name selection);
    // False when the selection was not made (nothing changes but the case of the row names) or an object
    // cannot be opened (with an alert; what was counted stays counted).
    [[nodiscard]] bool CountSelection(BomReport& report);

private:
    bool CountWithSwitches(BomReport& report, const ads_name selection, Adesk::Int32 length, CensusSwitches switches);
};

// `quantity` more references of the row's block: the quantity stops at the largest it can hold, the total
// at the largest price.
void AddQuantity(ReportRow& row, std::uint64_t quantity);
// a × b, at most the largest count.
[[nodiscard]] std::uint64_t Times(std::uint64_t a, std::uint64_t b);

} // namespace vantorel
