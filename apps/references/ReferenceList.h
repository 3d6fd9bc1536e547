#pragma once

// Every block reference a report counts, one by one: what the bill of materials sums, laid open. Worked out from
// the drawing by the same rules as the module's count, so that a row's quantity is the sum of its references'.
#include "bom/ReplacingFile.h"
#include "platform/cad/Database.h"

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace references {

// The counting switches, as the host's variables hold them for the module.
struct CountingRules {
    bool effectiveNames = false; // BOMNAMES
    bool nested = false;         // BOMNESTED
    bool grids = false;          // BOMMINSERT
    bool skipTables = false;     // BOMSKIPTABLES
    std::string keyAttribute;    // BOMKEYATTR
    std::vector<std::string> attributeTags; // BOMATTRS, in capitals

    // The rules the host's variables set now.
    static CountingRules FromHost();
};

// What a reference says of itself, kept once for every placement of a nested one (and for every reference of a
// name without attributes).
struct ReferenceFacts {
    std::string storedName;          // its block's name in the drawing
    std::string countedName;         // the name of its row, lower-cased as the report's are
    std::vector<std::string> values; // of the attribute tags, one each; none when it carries none of them
    std::vector<std::pair<std::string, std::string>> attributes; // every attribute's tag and value
};

struct CountedReference {
    cad::ObjectId id = cad::kNullId;
    cad::ObjectId outermost = cad::kNullId; // the selected reference it is in; itself when it was selected
    std::uint64_t handle = 0;               // 0 for one not yet saved
    std::vector<std::uint64_t> chain;       // the handles of the references it is nested in, outermost first
    const ReferenceFacts* facts = nullptr;  // kept by the list
    const std::string* layout = nullptr;    // the tab's name of the layout that holds the outermost reference
    const std::string* layer = nullptr;     // its own, or that of the reference it is in when on layer 0
    // Where it stands in its layout's coordinates, nested ones too; references are taken to lie in the plane of
    // what holds them (an extrusion direction other than up is not followed).
    cad::Point3d position;
    cad::Point3d scale{1.0, 1.0, 1.0};
    double rotation = 0.0;   // radians
    std::uint64_t count = 1; // what it adds to its row: a MINSERT's grid, times those it is in
};

// The references one drawing's report counts. The facts and names they point to live as long as the list.
class ReferenceList {
public:
    ReferenceList(const cad::Database& database, CountingRules rules);
    // The references `selected` (entities of any layout; those that are no block references are passed over)
    // count as, in selection order, each followed by those nested in it when nested references count. Only
    // while the drawing is open.
    void Count(const std::vector<cad::ObjectId>& selected);

    const std::vector<CountedReference>& References() const { return m_references; }
    const CountingRules& Rules() const { return m_rules; }
    // The drawing's layouts by their tabs' names, in the tabs' order (Model first).
    const std::vector<std::string>& LayoutOrder() const { return m_layoutOrder; }

private:
    // A reference nested in a definition, as seen from the definition: its chain starts below it.
    struct Inside {
        CountedReference reference;
        std::vector<std::uint64_t> chainBelow; // the handles between the definition and it
        bool layerOpen = false;                // on layer 0 all the way up: it takes the outer reference's layer
    };
    // Fills what the reference itself says; false when it does not count (one of this program's tables, skipped).
    bool Describe(const cad::BlockReference& reference, CountedReference& out);
    const std::vector<Inside>& Contents(cad::ObjectId blockId);
    std::string EffectiveName(cad::ObjectId referenceId, const cad::BlockTableRecord& record) const;
    const std::string* Kept(const std::string& text);

    const cad::Database* m_database;
    CountingRules m_rules;
    std::vector<CountedReference> m_references;
    std::unordered_map<cad::ObjectId, std::vector<Inside>> m_contents;
    std::unordered_set<cad::ObjectId> m_walking;
    std::unordered_map<cad::ObjectId, const std::string*> m_layoutNames;
    std::vector<std::string> m_layoutOrder;
    // Node-based, so that what points into them stays put as they grow.
    std::unordered_set<std::string> m_texts;
    std::deque<ReferenceFacts> m_facts;
    std::unordered_map<std::string, const ReferenceFacts*> m_plainFacts; // by stored and counted name
};

// The tags (of `tags`) some reference in `selected`, or nested in one when `nested`, carries: what is looked at
// stops as soon as every tag is found.
[[nodiscard]] std::vector<std::string> CarriedTags(const cad::Database& database,
                                                   const std::vector<cad::ObjectId>& selected,
                                                   const std::vector<std::string>& tags, bool nested);

// Whether the file name asks for CSV or JSON, by its extension in any case.
[[nodiscard]] bool IsReferenceFileName(const std::string& path);
// The references of one drawing after another written to a CSV or JSON file (by its extension) as they come, the
// file taking its name's place only when Commit finds everything written.
class ReferenceFileWriter {
public:
    explicit ReferenceFileWriter(const std::string& path);
    void Add(const std::string& drawing, const ReferenceList& list);
    // False, with the reason, when the file cannot be written; the name keeps what it had then.
    [[nodiscard]] bool Commit(std::string& error);

private:
    void Flush(bool always);
    std::string m_path;
    bool m_json = false;
    vantorel::ReplacingFile m_file;
    std::string m_text;
    bool m_first = true;
    bool m_ok = true;
};

// One drawing's references written to `path`; false, with the reason, when it cannot be.
[[nodiscard]] bool WriteReferenceFile(const std::string& path, const std::string& drawing, const ReferenceList& list,
                                      std::string& error);

} // namespace references
