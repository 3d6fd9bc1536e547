#include "platform/cad/dxf/DxfNewLayout.h"

namespace cad {

NewDrawingLayout::NewDrawingLayout(Database& database, const CodePage& active) : m_database(database) {
    DrawingHeader& header = database.Header();
    header.version = "AC1009";
    header.codePage = active.DxfName();
    m_layout.handles = false;
    m_layout.codePage = active.Number();
    // The layouts are not blocks of an R12 file: their entities go in ENTITIES.
    m_layout.defaultRecords = {database.ModelSpaceId(), database.PaperSpaceId()};

    Raw("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  9\n$DWGCODEPAGE\n  3\n" + header.codePage + "\n");
    Point("$INSBASE", header.insertionBase);
    Point("$EXTMIN", header.extentsMin);
    Point("$EXTMAX", header.extentsMax);
    Raw("  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n");
    Raw("  0\nTABLE\n  2\nLTYPE\n 70\n1\n  0\nLTYPE\n  2\nCONTINUOUS\n 70\n0\n  3\nSolid line\n 72\n65\n"
        " 73\n0\n 40\n0.0\n  0\nENDTAB\n");
    Table("LAYER", database.LayerTableId());
    Table("STYLE", database.TextStyleTableId());
    Raw("  0\nENDSEC\n  0\nSECTION\n  2\nBLOCKS\n");
    Anchor(DxfItemKind::NewBlocks, kNullId);
    Raw("  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n");
    Anchor(DxfItemKind::NewEntities, database.ModelSpaceId());
    Anchor(DxfItemKind::NewEntities, database.PaperSpaceId());
    Raw("  0\nENDSEC\n  0\nEOF\n");
    m_layout.content = m_text;
}

void NewDrawingLayout::Raw(const std::string& text) {
    m_layout.items.emplace_back(DxfItemKind::Raw, m_text.size(), kNullId);
    m_text += text;
}
void NewDrawingLayout::Anchor(DxfItemKind kind, ObjectId object) {
    m_layout.items.emplace_back(kind, m_text.size(), object);
}
void NewDrawingLayout::Point(const char* variable, const Point3d& p) {
    Raw(std::string("  9\n") + variable + "\n 10\n" + FormatReal(p.x) + "\n 20\n" + FormatReal(p.y) + "\n 30\n" +
        FormatReal(p.z) + "\n");
}
void NewDrawingLayout::Table(const char* name, ObjectId tableId) {
    std::size_t count = 0;
    for (ObjectId id : m_database.PeekAs<SymbolTable>(tableId)->records) {
        const Object* record = m_database.Peek(id);
        count += record && !record->IsErased() ? 1 : 0;
    }
    Raw(std::string("  0\nTABLE\n  2\n") + name + "\n 70\n" + std::to_string(count) + "\n");
    Anchor(DxfItemKind::NewRecords, tableId);
    Raw("  0\nENDTAB\n");
}

} // namespace cad
