#include "bom/BlockCensus.h"

#include "bom/BlockNames.h"
#include "bom/BomMessages.h"
#include "bom/ReferenceCounter.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <utility>

namespace vantorel {

namespace {

// The selection set goes back to the host however the census ends.
class SelectionGuard {
public:
    explicit SelectionGuard(const std::int64_t* selection) : m_selection{selection[0], selection[1]} {}
    ~SelectionGuard() { acedSSFree(m_selection); }
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;

private:
    ads_name m_selection;
};

// The block name a selected reference stands for; false, with the alert, when an object cannot be opened.
bool BlockNameOf(const ads_name entity, std::string& name) {
    AcDbObjectId id;
    [[maybe_unused]] Acad::ErrorStatus found = acdbGetObjectId(id, entity);
    AcDbObject* object = nullptr;
    if (acdbOpenAcDbObject(object, id, AcDbBlockReference::desc(), AcDb::kForRead) != Acad::eOk) {
        acedAlert(kCannotOpenInsert);
        return false;
    }
    AcDbObjectId blockId = static_cast<AcDbBlockReference*>(object)->blockTableRecord();
    [[maybe_unused]] Acad::ErrorStatus closed = object->close();
    if (acdbOpenAcDbObject(object, blockId, AcDbBlockTableRecord::desc(), AcDb::kForRead) != Acad::eOk) {
        acedAlert(kCannotOpenBlockRecord);
        return false;
    }
    HostString copy;
    [[maybe_unused]] Acad::ErrorStatus named = static_cast<AcDbBlockTableRecord*>(object)->getName(copy.Out());
    name = copy.Get();
    closed = object->close();
    return true;
}

// The index's key of a row of values: the name and each value after a separator no name or value holds.
std::string AttributeKey(const std::string& lowered, const std::vector<std::string>& values) {
    std::string key = lowered;
    for (const std::string& value : values)
        key += '\x1f' + value;
    return key;
}

} // namespace

bool BlockCensus::SelectBlockReferences(ads_name selection) {
    resbuf filter{};
    filter.rbnext = nullptr;
    filter.restype = 0; // the entity type
    char insert[] = "INSERT";
    filter.resval.rstring = insert;
    return acedSSGet(nullptr, nullptr, nullptr, &filter, selection) == RTNORM;
}

bool BlockCensus::CountSelection(BomReport& report) {
    auto& index = report.NameIndex();
    index = std::unordered_map<std::string, std::size_t>(BomReport::kIndexBuckets);
    std::vector<ReportRow>& rows = report.Rows();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        LowerBlockName(rows[r].blockName);
        index[rows[r].blockName] = r; // a later row of the same name takes the counts
    }

    ads_name selection = {0, 0};
    if (!SelectBlockReferences(selection))
        return false;
    SelectionGuard release(selection);
    Adesk::Int32 length = 0;
    [[maybe_unused]] int measured = acedSSLength(selection, &length);
    CensusSwitches switches = ReadCensusSwitches();
    if (switches.AnyCountingSwitch())
        return CountWithSwitches(report, selection, length, std::move(switches));
    std::string name;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity = {0, 0};
        [[maybe_unused]] int named = acedSSName(selection, i, entity);
        if (!BlockNameOf(entity, name))
            return false;
        // The drawing's name is lower-cased by the same letters as the rows' names: a host whose runtime
        // locale is its code page maps them alike, and a block "ДВЕРЬ" must find its row "дверь".
        LowerBlockName(name);
        auto found = index.find(name);
        if (found != index.end()) {
            ReportRow& row = rows[found->second];
            row.quantity += 1;
            row.total = AddPrices(row.itemPrice, row.total);
        } else if (!cataloguedOnly) {
            report.AppendRow(ReportRow{name, 0.0, 1, "", 0.0});
            index.emplace(name, rows.size() - 1);
        }
    }
    return true;
}

// As the plain census, but each reference may count under another name, several times, and bring the
// references its definition holds.
bool BlockCensus::CountWithSwitches(BomReport& report, const ads_name selection, Adesk::Int32 length,
                                    CensusSwitches switches) {
    auto& index = report.NameIndex();
    std::vector<ReportRow>& rows = report.Rows();
    ReferenceCounter counter(std::move(switches));
    // The row of a name (and values), appended when new; none when only catalogued blocks count. A row of values
    // is priced and described by its name's row.
    std::string lowered;
    auto rowOf = [&](const std::string& name, const std::vector<std::string>& values) -> long {
        lowered = name;
        LowerBlockName(lowered);
        auto row = index.find(values.empty() ? lowered : AttributeKey(lowered, values));
        if (row != index.end())
            return static_cast<long>(row->second);
        auto named = values.empty() ? index.end() : index.find(lowered);
        if (cataloguedOnly && named == index.end())
            return -1;
        ReportRow fresh{AttributedName(lowered, values), 0.0, 0, "", 0.0, values};
        if (named != index.end()) {
            fresh.itemPrice = rows[named->second].itemPrice;
            fresh.description = rows[named->second].description;
        }
        report.AppendRow(std::move(fresh));
        return static_cast<long>(
            index.emplace(values.empty() ? lowered : AttributeKey(lowered, values), rows.size() - 1).first->second);
    };
    // What a definition holds is looked up in the rows once; every reference to it then only adds.
    std::unordered_map<std::uint64_t, std::vector<std::pair<long, std::uint64_t>>> insideRows;
    ReferenceCounter::Reference counted;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity = {0, 0};
        [[maybe_unused]] int named = acedSSName(selection, i, entity);
        AcDbObjectId id;
        [[maybe_unused]] Acad::ErrorStatus found = acdbGetObjectId(id, entity);
        if (!counter.Count(id, counted))
            return false;
        if (!counted.counted)
            continue;
        if (long row = rowOf(counted.name, counted.values); row >= 0)
            AddQuantity(rows[static_cast<std::size_t>(row)], counted.times);
        if (!counter.Nested())
            continue;
        auto [resolved, fresh] = insideRows.try_emplace(counted.blockId.asOldId());
        if (fresh) {
            const std::vector<ReferenceCounter::Counted>* inside = counter.Contents(counted.blockId);
            if (!inside)
                return false;
            for (const ReferenceCounter::Counted& each : *inside)
                resolved->second.emplace_back(rowOf(each.name, each.values), each.quantity);
        }
        for (const auto& [row, quantity] : resolved->second) {
            if (row >= 0)
                AddQuantity(rows[static_cast<std::size_t>(row)], Times(quantity, counted.times));
        }
    }
    return true;
}

std::uint64_t Times(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<std::uint64_t>::max() : product;
}

void AddQuantity(ReportRow& row, std::uint64_t quantity) {
    constexpr auto kMost = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    std::uint64_t sum = static_cast<std::uint64_t>(std::max(row.quantity, 0)) + std::min(quantity, kMost);
    row.quantity = static_cast<std::int32_t>(std::min(sum, kMost));
    // One reference adds its price as the plain census does; many add it once, multiplied.
    row.total = quantity == 1 ? AddPrices(row.itemPrice, row.total)
                              : AddPrices(row.total, row.itemPrice * static_cast<double>(quantity));
}

} // namespace vantorel
