#include "bom/ReferenceCounter.h"

#include "bom/BlockCensus.h"
#include "bom/BlockNames.h"
#include "bom/BomMessages.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vantorel {

namespace {
std::uint64_t Plus(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

// Counts of one name and values gathered into one entry, in the order they first came.
void Add(std::vector<ReferenceCounter::Counted>& counts, const std::string& name,
         const std::vector<std::string>& values, std::uint64_t quantity) {
    for (ReferenceCounter::Counted& counted : counts) {
        if (counted.name == name && counted.values == values) {
            counted.quantity = Plus(counted.quantity, quantity);
            return;
        }
    }
    counts.push_back(ReferenceCounter::Counted{name, values, quantity});
}

// The name a dynamic block keeps in its own extended data when its record is anonymous too.
std::string TrueName(const AcDbBlockTableRecord& record) {
    resbuf* xdata = record.xData("AcDbDynamicBlockTrueName");
    std::string name;
    for (const resbuf* rb = xdata; rb; rb = rb->rbnext) {
        if (rb->restype == 1000 && rb->resval.rstring) {
            name = rb->resval.rstring;
            break;
        }
    }
    if (xdata)
        acutRelRb(xdata);
    return name;
}
} // namespace

bool ReferenceCounter::Count(AcDbObjectId referenceId, Reference& out) {
    out.counted = false;
    out.times = 1;
    AcDbObject* object = nullptr;
    if (acdbOpenAcDbObject(object, referenceId, AcDbBlockReference::desc(), AcDb::kForRead) != Acad::eOk) {
        acedAlert(kCannotOpenInsert);
        return false;
    }
    auto* reference = static_cast<AcDbBlockReference*>(object);
    AcDbObjectId blockId = reference->blockTableRecord();
    if (m_switches.grids) {
        if (auto* grid = AcDbMInsertBlock::cast(reference))
            out.times = Times(std::max<std::uint64_t>(grid->columns(), 1), std::max<std::uint64_t>(grid->rows(), 1));
    }
    std::string key;
    out.values.clear();
    if (!m_switches.keyAttribute.empty() || !m_switches.attributeTags.empty())
        ReadAttributes(*reference, key, out.values);
    CloseObject(reference);

    if (acdbOpenAcDbObject(object, blockId, AcDbBlockTableRecord::desc(), AcDb::kForRead) != Acad::eOk) {
        acedAlert(kCannotOpenBlockRecord);
        return false;
    }
    auto* record = static_cast<AcDbBlockTableRecord*>(object);
    HostString copy;
    [[maybe_unused]] Acad::ErrorStatus named = record->getName(copy.Out());
    out.blockId = blockId;
    out.name = copy.Get();
    if (m_switches.skipTables && IsTableBlockName(out.name)) {
        CloseObject(record);
        return true;
    }
    if (!key.empty())
        out.name = std::move(key);
    else if (m_switches.effectiveNames)
        out.name = EffectiveName(referenceId, *record, out.name);
    CloseObject(record);
    out.counted = true;
    return true;
}

bool ReferenceCounter::AddReference(AcDbObjectId referenceId, std::vector<Counted>& out) {
    Reference reference;
    if (!Count(referenceId, reference))
        return false;
    if (!reference.counted)
        return true;
    Add(out, reference.name, reference.values, reference.times);
    if (!m_switches.nested)
        return true;
    const std::vector<Counted>* inside = Contents(reference.blockId);
    if (!inside)
        return false;
    for (const Counted& counted : *inside)
        Add(out, counted.name, counted.values, Times(counted.quantity, reference.times));
    return true;
}

const std::vector<ReferenceCounter::Counted>* ReferenceCounter::Contents(AcDbObjectId blockId) {
    static const std::vector<Counted> kNothing;
    std::uint64_t key = blockId.asOldId();
    if (auto found = m_contents.find(key); found != m_contents.end())
        return &found->second;
    AcDbObject* object = nullptr;
    if (acdbOpenAcDbObject(object, blockId, AcDbBlockTableRecord::desc(), AcDb::kForRead) != Acad::eOk) {
        acedAlert(kCannotOpenBlockRecord);
        return nullptr;
    }
    auto* record = static_cast<AcDbBlockTableRecord*>(object);
    if (!m_walking.insert(key).second) {
        // A definition that holds a reference to itself would count without end: it counts once, unfollowed.
        HostString name;
        [[maybe_unused]] Acad::ErrorStatus named = record->getName(name.Out());
        CloseObject(record);
        acutPrintf("\nBlock %s holds a reference to itself: that reference is counted once and not followed.\n",
                   name.Get());
        m_contents.emplace(key, std::vector<Counted>{});
        return &kNothing;
    }
    std::vector<AcDbObjectId> references;
    AcDbBlockTableRecordIterator* iterator = nullptr;
    if (record->newIterator(iterator) == Acad::eOk && iterator) {
        for (; !iterator->done(); iterator->step()) {
            AcDbObjectId entityId;
            if (iterator->getEntityId(entityId) != Acad::eOk)
                continue;
            AcDbObject* entity = nullptr;
            if (acdbOpenAcDbObject(entity, entityId, AcDb::kForRead) != Acad::eOk)
                continue;
            if (entity->isKindOf(AcDbBlockReference::desc()))
                references.push_back(entityId);
            CloseObject(entity);
        }
    }
    delete iterator;
    CloseObject(record);
    std::vector<Counted> counts;
    for (AcDbObjectId id : references) {
        if (!AddReference(id, counts)) {
            m_walking.erase(key);
            return nullptr;
        }
    }
    m_walking.erase(key);
    // A cycle found below may have stood in for this definition while it was being worked out.
    auto [slot, added] = m_contents.insert_or_assign(key, std::move(counts));
    (void)added;
    return &slot->second;
}

void ReferenceCounter::ReadAttributes(AcDbBlockReference& reference, std::string& key,
                                      std::vector<std::string>& values) const {
    const std::vector<std::string>& tags = m_switches.attributeTags;
    values.assign(tags.size(), std::string());
    AcDbObjectIterator* attributes = reference.attributeIterator();
    for (; attributes && !attributes->done(); attributes->step()) {
        AcDbObject* object = nullptr;
        if (acdbOpenAcDbObject(object, attributes->objectId(), AcDbAttribute::desc(), AcDb::kForRead) != Acad::eOk)
            continue;
        auto* attribute = static_cast<AcDbAttribute*>(object);
        HostString tag(attribute->tag());
        HostString text(attribute->textString());
        // The first attribute of a tag with a value gives the key, as the first of a tag gives its column.
        if (key.empty() && !m_switches.keyAttribute.empty() &&
            CompareNoCase(tag.Get(), m_switches.keyAttribute.c_str()) == 0)
            key = text.Get();
        for (std::size_t t = 0; t < tags.size(); ++t) {
            if (values[t].empty() && CompareNoCase(tag.Get(), tags[t].c_str()) == 0)
                values[t] = text.Get();
        }
        CloseObject(attribute);
    }
    delete attributes;
    // A reference with none of the tags counts in its name's own row.
    if (std::all_of(values.begin(), values.end(), [](const std::string& value) { return value.empty(); }))
        values.clear();
}

std::string ReferenceCounter::EffectiveName(AcDbObjectId referenceId, AcDbBlockTableRecord& record,
                                            const std::string& stored) {
    if (!record.isAnonymous())
        return stored;
    AcDbDynBlockReference dynamic(referenceId);
    AcDbObjectId blockId = dynamic.dynamicBlockTableRecord();
    if (blockId.isNull()) {
        std::string own = TrueName(record);
        return own.empty() ? stored : own;
    }
    AcDbObject* object = nullptr;
    if (acdbOpenAcDbObject(object, blockId, AcDbBlockTableRecord::desc(), AcDb::kForRead) != Acad::eOk)
        return stored;
    auto* block = static_cast<AcDbBlockTableRecord*>(object);
    HostString copy;
    [[maybe_unused]] Acad::ErrorStatus named = block->getName(copy.Out());
    std::string name = copy.Get();
    // Files of R2000 to R2007 may keep the dynamic block itself under an anonymous name, its own in extended data.
    if (block->isAnonymous())
        name = TrueName(*block);
    CloseObject(block);
    return name.empty() ? stored : name;
}

} // namespace vantorel
