#include "bom/BlockCensus.h"

#include "bom/BlockNames.h"
#include "bom/BomMessages.h"

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

} // namespace vantorel
