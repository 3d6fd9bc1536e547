#pragma once

#include "platform/cad/Database.h"
#include "platform/cad/dxf/FileText.h"
#include "platform/cad/dxf/DxfLayout.h"

#include <string>

namespace cad {

// A drawing made here rather than read has no file to follow. It is written as an R12 drawing, which every
// reader takes and which needs no handles: the header, the tables, blocks and entities, all of them new.
class NewDrawingLayout {
public:
    NewDrawingLayout(Database& database, const CodePage& active);
    DxfLayout& Layout() { return m_layout; }

private:
    void Raw(const std::string& text);
    void Anchor(DxfItemKind kind, ObjectId object);
    void Point(const char* variable, const Point3d& p);
    void Table(const char* name, ObjectId tableId);

    Database& m_database;
    DxfLayout m_layout;
    std::string m_text; // the layout's content points into it
};

} // namespace cad
