#include "references/ReferenceList.h"

#include "render/Scene.h"

#include "bom/CensusSwitches.h"
#include "platform/cad/DynamicBlocks.h"
#include "platform/cad/Editor.h"
#include "platform/cad/Host.h"
#include "platform/cad/Text.h"
#include "platform/text/CodePage.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace references {

namespace {
std::uint64_t Times(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<std::uint64_t>::max() : product;
}

// Equal but for the case of A to Z, as the module compares tags.
bool SameTag(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
               return up(x) == up(y);
           });
}

bool SwitchOn(const cad::Editor& editor, const char* name) {
    const cad::VariableValue* value = editor.FindVariable(name);
    if (!value)
        return false;
    if (const auto* small = std::get_if<std::int16_t>(value))
        return *small != 0;
    const auto* large = std::get_if<std::int32_t>(value);
    return large && *large != 0;
}

std::string Text(const cad::Editor& editor, const char* name) {
    const cad::VariableValue* value = editor.FindVariable(name);
    const auto* text = value ? std::get_if<std::string>(value) : nullptr;
    return text ? *text : std::string();
}

// The name a dynamic block keeps in its own extended data when its record is anonymous too.
std::string TrueName(const cad::BlockTableRecord& record) {
    bool wanted = false;
    for (const cad::XDataItem& item : record.xdata) {
        if (item.code == 1001)
            wanted = cad::NamesEqual(item.text, "AcDbDynamicBlockTrueName");
        else if (wanted && item.code == 1000)
            return item.text;
    }
    return {};
}

// Where a reference placed inside a definition stands, as seen from outside the reference `outer` that places the
// definition: its point moved off the definition's base point, scaled, turned and moved to the outer insertion
// point; its rotation is its x axis's direction after that, its scales times the outer ones.
void PlaceIn(const cad::BlockReference& outer, const cad::Point3d& origin, CountedReference& inner) {
    cad::Point3d& p = inner.position;
    double x = (p.x - origin.x) * outer.scale.x;
    double y = (p.y - origin.y) * outer.scale.y;
    double z = (p.z - origin.z) * outer.scale.z;
    double c = std::cos(outer.rotation);
    double s = std::sin(outer.rotation);
    p = cad::Point3d{outer.position.x + x * c - y * s, outer.position.y + x * s + y * c, outer.position.z + z};
    inner.rotation = std::atan2(outer.scale.y * std::sin(inner.rotation), outer.scale.x * std::cos(inner.rotation)) +
                     outer.rotation;
    inner.scale = cad::Point3d{inner.scale.x * outer.scale.x, inner.scale.y * outer.scale.y,
                               inner.scale.z * outer.scale.z};
}

bool Anonymous(const cad::BlockTableRecord& record) {
    return (record.flags & cad::kBlockAnonymous) != 0 || (!record.name.empty() && record.name[0] == '*');
}
} // namespace

CountingRules CountingRules::FromHost() {
    const cad::Editor& editor = cad::Host::Instance().GetEditor();
    CountingRules rules;
    rules.effectiveNames = SwitchOn(editor, "BOMNAMES");
    rules.nested = SwitchOn(editor, "BOMNESTED");
    rules.grids = SwitchOn(editor, "BOMMINSERT");
    rules.skipTables = SwitchOn(editor, "BOMSKIPTABLES");
    rules.keyAttribute = Text(editor, "BOMKEYATTR");
    rules.attributeTags = vantorel::SplitAttributeTags(Text(editor, "BOMATTRS"));
    return rules;
}

ReferenceList::ReferenceList(const cad::Database& database, CountingRules rules)
    : m_database(&database), m_rules(std::move(rules)) {
    for (const render::LayoutEntry& layout : render::Layouts(database)) {
        m_layoutNames.emplace(layout.block, Kept(layout.name));
        m_layoutOrder.push_back(layout.name);
    }
}

const std::string* ReferenceList::Kept(const std::string& text) {
    return &*m_texts.insert(text).first;
}

std::string ReferenceList::EffectiveName(cad::ObjectId referenceId, const cad::BlockTableRecord& record) const {
    if (!Anonymous(record))
        return record.name;
    cad::ObjectId dynamicId = cad::DynamicBlockOf(*m_database, referenceId);
    const auto* dynamic = dynamicId == cad::kNullId ? nullptr : m_database->PeekAs<cad::BlockTableRecord>(dynamicId);
    if (dynamicId == cad::kNullId) {
        std::string own = TrueName(record);
        return own.empty() ? record.name : own;
    }
    if (!dynamic || dynamic->IsErased())
        return record.name;
    // Files of R2000 to R2007 may keep the dynamic block itself under an anonymous name, its own in extended data.
    std::string name = Anonymous(*dynamic) ? TrueName(*dynamic) : dynamic->name;
    return name.empty() ? record.name : name;
}

bool ReferenceList::Describe(const cad::BlockReference& reference, CountedReference& out) {
    const auto* record = m_database->PeekAs<cad::BlockTableRecord>(reference.blockId);
    out.id = reference.Id();
    out.handle = reference.Handle();
    out.layer = Kept(reference.layer.str());
    out.position = reference.position;
    out.scale = reference.scale;
    out.rotation = reference.rotation;
    out.count = 1;
    bool grid = reference.columnCount > 1 || reference.rowCount > 1;
    if (m_rules.grids && grid)
        out.count = Times(std::max<std::uint64_t>(static_cast<std::uint16_t>(reference.columnCount), 1),
                          std::max<std::uint64_t>(static_cast<std::uint16_t>(reference.rowCount), 1));
    ReferenceFacts facts;
    facts.storedName = record ? record->name : std::string();
    std::string key;
    facts.values.assign(m_rules.attributeTags.size(), std::string());
    for (cad::ObjectId attributeId : reference.attributes) {
        const auto* attribute = m_database->PeekAs<cad::Attribute>(attributeId);
        if (!attribute || attribute->IsErased())
            continue;
        facts.attributes.emplace_back(attribute->tag, attribute->text);
        if (key.empty() && !m_rules.keyAttribute.empty() && SameTag(attribute->tag, m_rules.keyAttribute))
            key = attribute->text;
        for (std::size_t t = 0; t < m_rules.attributeTags.size(); ++t) {
            if (facts.values[t].empty() && SameTag(attribute->tag, m_rules.attributeTags[t]))
                facts.values[t] = attribute->text;
        }
    }
    if (std::all_of(facts.values.begin(), facts.values.end(), [](const std::string& value) { return value.empty(); }))
        facts.values.clear();
    if (!record)
        return false;
    if (m_rules.skipTables && facts.storedName.size() == 7 && SameTag(facts.storedName.substr(0, 3), "QVT"))
        return false;
    std::string name = !key.empty()              ? key
                       : m_rules.effectiveNames ? EffectiveName(reference.Id(), *record)
                                                : facts.storedName;
    facts.countedName = textkit::Active().Lower(name);
    // References without attributes say only their names: one record serves all of a name.
    if (facts.attributes.empty()) {
        std::string plain = facts.storedName + '\0' + facts.countedName;
        auto [found, fresh] = m_plainFacts.try_emplace(plain, nullptr);
        if (fresh)
            found->second = &m_facts.emplace_back(std::move(facts));
        out.facts = found->second;
    } else {
        out.facts = &m_facts.emplace_back(std::move(facts));
    }
    return true;
}

const std::vector<ReferenceList::Inside>& ReferenceList::Contents(cad::ObjectId blockId) {
    static const std::vector<Inside> kNothing;
    if (auto found = m_contents.find(blockId); found != m_contents.end())
        return found->second;
    const auto* record = m_database->PeekAs<cad::BlockTableRecord>(blockId);
    if (!record)
        return kNothing;
    // A definition that holds a reference to itself counts that reference once, unfollowed, as the report does.
    if (!m_walking.insert(blockId).second)
        return m_contents.emplace(blockId, std::vector<Inside>{}).first->second;
    std::vector<Inside> contents;
    for (cad::ObjectId id : record->entities) {
        const auto* reference = m_database->PeekAs<cad::BlockReference>(id);
        if (!reference || reference->IsErased())
            continue;
        Inside own;
        if (!Describe(*reference, own.reference))
            continue;
        own.layerOpen = *own.reference.layer == "0";
        std::uint64_t times = own.reference.count;
        cad::ObjectId inner = reference->blockId;
        std::uint64_t handle = own.reference.handle;
        const std::string* layer = own.reference.layer;
        contents.push_back(std::move(own));
        // Copied: the walk below may add to the cache this definition's entries are in.
        std::vector<Inside> below = Contents(inner);
        const auto* innerRecord = m_database->PeekAs<cad::BlockTableRecord>(inner);
        for (Inside& nested : below) {
            PlaceIn(*reference, innerRecord ? innerRecord->origin : cad::Point3d{}, nested.reference);
            nested.reference.count = Times(nested.reference.count, times);
            nested.chainBelow.insert(nested.chainBelow.begin(), handle);
            if (nested.layerOpen && *layer != "0") {
                nested.reference.layer = layer;
                nested.layerOpen = false;
            }
            contents.push_back(std::move(nested));
        }
    }
    m_walking.erase(blockId);
    auto [slot, added] = m_contents.insert_or_assign(blockId, std::move(contents));
    (void)added;
    return slot->second;
}

void ReferenceList::Count(const std::vector<cad::ObjectId>& selected) {
    for (cad::ObjectId id : selected) {
        const auto* reference = m_database->PeekAs<cad::BlockReference>(id);
        if (!reference || reference->IsErased())
            continue;
        CountedReference top;
        if (!Describe(*reference, top))
            continue;
        top.outermost = id;
        auto layout = m_layoutNames.find(reference->OwnerId());
        top.layout = layout != m_layoutNames.end() ? layout->second : Kept(std::string());
        std::uint64_t times = top.count;
        std::uint64_t handle = top.handle;
        const std::string* layer = top.layer;
        const std::string* layoutName = top.layout;
        m_references.push_back(std::move(top));
        if (!m_rules.nested)
            continue;
        const auto* record = m_database->PeekAs<cad::BlockTableRecord>(reference->blockId);
        for (const Inside& nested : Contents(reference->blockId)) {
            CountedReference inner = nested.reference;
            PlaceIn(*reference, record ? record->origin : cad::Point3d{}, inner);
            inner.outermost = id;
            inner.layout = layoutName;
            inner.count = Times(inner.count, times);
            inner.chain.reserve(nested.chainBelow.size() + 1);
            inner.chain.push_back(handle);
            inner.chain.insert(inner.chain.end(), nested.chainBelow.begin(), nested.chainBelow.end());
            if (nested.layerOpen)
                inner.layer = layer;
            m_references.push_back(std::move(inner));
        }
    }
}

std::vector<std::string> CarriedTags(const cad::Database& database, const std::vector<cad::ObjectId>& selected,
                                     const std::vector<std::string>& tags, bool nested) {
    std::vector<bool> found(tags.size(), false);
    std::size_t missing = tags.size();
    std::unordered_set<cad::ObjectId> seen;
    std::vector<cad::ObjectId> definitions;
    auto look = [&](cad::ObjectId id) {
        const auto* reference = database.PeekAs<cad::BlockReference>(id);
        if (!reference || reference->IsErased())
            return;
        for (cad::ObjectId attributeId : reference->attributes) {
            const auto* attribute = database.PeekAs<cad::Attribute>(attributeId);
            for (std::size_t t = 0; attribute && !attribute->IsErased() && t < tags.size(); ++t) {
                if (!found[t] && SameTag(attribute->tag, tags[t])) {
                    found[t] = true;
                    --missing;
                }
            }
        }
        if (nested && seen.insert(reference->blockId).second)
            definitions.push_back(reference->blockId);
    };
    for (std::size_t i = 0; i < selected.size() && missing > 0; ++i)
        look(selected[i]);
    while (!definitions.empty() && missing > 0) {
        const auto* record = database.PeekAs<cad::BlockTableRecord>(definitions.back());
        definitions.pop_back();
        for (std::size_t i = 0; record && i < record->entities.size() && missing > 0; ++i)
            look(record->entities[i]);
    }
    std::vector<std::string> carried;
    for (std::size_t t = 0; t < tags.size(); ++t)
        if (found[t])
            carried.push_back(tags[t]);
    return carried;
}

} // namespace references
