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
        std::vector<std::string> values; // of the attribute tags that split rows, in their order; none without
        std::uint64_t quantity = 0;
    };

    // One selected reference: the name it counts under and how many times, and what its definition holds.
    struct Reference {
        bool counted = false; // false for a reference that does not count at all (one of our tables)
        std::string name;
        std::vector<std::string> values; // as Counted's
        std::uint64_t times = 1;
        AcDbObjectId blockId; // its definition
    };

    explicit ReferenceCounter(CensusSwitches switches) : m_switches(std::move(switches)) {}

    // False, with the alert, when an object cannot be opened.
    [[nodiscard]] bool Count(AcDbObjectId referenceId, Reference& out);
    // Whether references inside definitions count.
    bool Nested() const { return m_switches.nested; }
    // The counts of every reference a definition holds, through all its levels, for one placement of it;
    // null, with the alert, when it cannot be read.
    const std::vector<Counted>* Contents(AcDbObjectId blockId);

private:
    // Adds the reference's own count and, when nested references count, its definition's, `times` over.
    bool AddReference(AcDbObjectId referenceId, std::vector<Counted>& out);
    // The key attribute's value and the splitting tags' values (empty for a tag the reference lacks).
    void ReadAttributes(AcDbBlockReference& reference, std::string& key, std::vector<std::string>& values) const;
    std::string EffectiveName(AcDbObjectId referenceId, AcDbBlockTableRecord& record, const std::string& stored);

    CensusSwitches m_switches;
    std::unordered_map<std::uint64_t, std::vector<Counted>> m_contents; // by the definition's id
    std::unordered_set<std::uint64_t> m_walking;                         // definitions being worked out
};

} // namespace vantorel
