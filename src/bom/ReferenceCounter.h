#pragma once

#include "bom/CensusSwitches.h"
#include "host/HostServices.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vantorel {

// How one selected reference counts when a counting switch is on: under which names, how many times each.
// What a definition holds is worked out once per census and multiplied, however many references place it.
class ReferenceCounter {
public:
    struct Counted {
        std::string name; // as the drawing has it, not yet lower-cased
        std::uint64_t quantity = 0;
    };

    explicit ReferenceCounter(CensusSwitches switches) : m_switches(std::move(switches)) {}

    // Replaces `out` with the counts of the reference; false, with the alert, when an object cannot be opened.
    [[nodiscard]] bool Count(AcDbObjectId referenceId, std::vector<Counted>& out);

private:
    // Adds the reference's own count and, when nested references count, its definition's, `times` over.
    bool AddReference(AcDbObjectId referenceId, std::uint64_t times, std::vector<Counted>& out);
    // The counts of every reference a definition holds, through all its levels; null when it cannot be read.
    const std::vector<Counted>* Contents(AcDbObjectId blockId, const std::string& blockName);
    std::string KeyValue(AcDbBlockReference& reference) const;
    std::string EffectiveName(AcDbObjectId referenceId, AcDbBlockTableRecord& record, const std::string& stored);

    CensusSwitches m_switches;
    std::unordered_map<std::uint64_t, std::vector<Counted>> m_contents; // by the definition's id
    std::unordered_set<std::uint64_t> m_walking;                         // definitions being worked out
};

} // namespace vantorel
