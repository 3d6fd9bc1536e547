#include "platform/cad/dxf/DxfWriter.h"

#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfLayout.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <numbers>
#include <vector>

namespace cad {

namespace {

double Degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

class DxfWriter {
public:
    DxfWriter(Database& database, DxfLayout& layout, const CodePage& active, std::string& out)
        : m_database(database), m_layout(layout), m_active(active), m_out(out), m_target(&out),
          m_modern(database.Header().Release() >= kReleaseR2000) {
        m_fileCodePage = m_layout.utf8 ? nullptr : CodePage::Find(m_layout.codePage);
        if (!m_layout.utf8 && !m_fileCodePage)
            m_fileCodePage = &CodePage::Default();
        m_nextHandle = std::max<std::uint64_t>(database.Header().handseed, m_layout.highestHandle + 1);
    }

    void Write() {
        AssignHandles();
        m_out.reserve(m_layout.content.size() + 4096);
        for (std::size_t i = 0; i < m_layout.items.size(); ++i) {
            const DxfItem& item = m_layout.items[i];
            switch (item.kind) {
            case DxfItemKind::Raw: WriteRaw(item.begin, m_layout.End(i)); break;
            case DxfItemKind::Object: WriteObject(item.object, item.begin, m_layout.End(i)); break;
            case DxfItemKind::NewRecords: WriteNewRecords(item.object); break;
            case DxfItemKind::NewBlocks: WriteNewBlocks(); break;
            case DxfItemKind::NewEntities: WriteNewEntities(item.object); break;
            }
        }
    }

private:
    // Handles

    bool IsNew(const Object* object) const {
        if (!object || object->FromFile() || object->IsErased())
            return false;
        return std::find(m_layout.defaultRecords.begin(), m_layout.defaultRecords.end(), object->Id()) ==
               m_layout.defaultRecords.end();
    }

    std::uint64_t Take(std::uint64_t& handle) {
        if (handle == 0)
            handle = m_nextHandle++;
        return handle;
    }
    void Give(Object& object) {
        std::uint64_t handle = object.Handle();
        object.SetHandle(Take(handle));
    }

    void AssignHandles() {
        if (!m_layout.handles)
            return;
        for (ObjectId tableId : {m_database.TextStyleTableId(), m_database.LayerTableId(), m_database.BlockTableId()}) {
            for (ObjectId id : m_database.PeekAs<SymbolTable>(tableId)->records) {
                Object* record = m_database.Peek(id);
                if (IsNew(record))
                    Give(*record);
                if (auto* block = m_database.PeekAs<BlockTableRecord>(id)) {
                    if (IsNew(block)) {
                        Take(block->beginHandle);
                        Take(block->endHandle);
                    }
                    for (ObjectId entityId : block->entities)
                        GiveEntity(m_database.Peek(entityId));
                }
            }
        }
        m_database.Header().handseed = m_nextHandle;
    }

    void GiveEntity(Object* entity) {
        if (!entity || !(IsNew(entity) || entity->IsModified()) || entity->IsErased())
            return;
        Give(*entity);
        if (auto* reference = m_database.PeekAs<BlockReference>(entity->Id())) {
            for (ObjectId id : reference->attributes)
                Give(*m_database.Peek(id));
            if (!reference->attributes.empty())
                Take(reference->sequenceEndHandle);
        }
    }

    // Raw bytes, with $HANDSEED raised when it lies inside them.

    void WriteRaw(std::size_t begin, std::size_t end) {
        std::string_view content = m_layout.content;
        std::size_t seedBegin = m_layout.handseedBegin;
        std::size_t seedEnd = m_layout.handseedEnd;
        if (seedEnd > seedBegin && seedBegin >= begin && seedEnd <= end) {
            m_out.append(content, begin, seedBegin - begin);
            m_out += FormatHandle(m_database.Header().handseed);
            m_out.append(content, seedEnd, end - seedEnd);
        } else {
            m_out.append(content, begin, end - begin);
        }
    }

    void WriteObject(ObjectId id, std::size_t begin, std::size_t end) {
        Object* object = m_database.Peek(id);
        if (!object || object->IsErased())
            return;
        if (!object->IsModified()) {
            WriteRaw(begin, end);
            return;
        }
        if (object->Kind() == ObjectKind::Opaque) {
            WriteRaw(begin, end); // nothing of it is modelled, so nothing of it changed
            return;
        }
        // What the file holds beyond the fields modelled here (extended data, reactors, true colours,
        // linetypes, a layer's flags) stays: the object's fresh tags are merged into the ones it was read with.
        std::string fresh;
        m_target = &fresh;
        if (IsSymbolRecordKind(object->Kind()))
            WriteRecord(*object);
        else
            WriteEntity(*object);
        m_target = &m_out;
        std::vector<TagSegment> read = Segments(m_layout.content.substr(begin, end - begin), m_layout.format);
        std::vector<TagSegment> written = Segments(fresh, m_layout.format);
        std::vector<bool> used(read.size(), false);
        for (std::size_t i = 0; i < written.size(); ++i) {
            std::size_t match = MatchingSegment(read, used, written[i], i);
            if (match == read.size()) {
                WriteSegment(written[i]);
                continue;
            }
            used[match] = true;
            Merge(read[match], written[i]);
        }
    }

    // Patching a modified object

    struct TagSegment { // one entity or record: its group 0 and the tags up to the next
        std::vector<std::pair<int, std::string_view>> tags;
        std::string_view Type() const { return tags.empty() ? std::string_view() : tags[0].second; }
        std::uint64_t Handle() const {
            for (const auto& [code, value] : tags) {
                if (code == 5)
                    return ParseHandle(value);
            }
            return 0;
        }
    };

    static std::vector<TagSegment> Segments(std::string_view text, DxfFormat format) {
        std::vector<TagSegment> segments;
        DxfTagStream stream(text, format);
        DxfTag tag;
        while (stream.Next(tag)) {
            if (tag.code == 0 || segments.empty())
                segments.emplace_back();
            segments.back().tags.emplace_back(tag.code, tag.value);
        }
        return segments;
    }

    // The read segment a written one replaces: the one with its handle, or else the one in its place.
    static std::size_t MatchingSegment(const std::vector<TagSegment>& read, const std::vector<bool>& used,
                                       const TagSegment& written, std::size_t index) {
        std::uint64_t handle = written.Handle();
        for (std::size_t i = 0; i < read.size(); ++i) {
            if (!used[i] && handle != 0 && read[i].Handle() == handle)
                return read[i].Type() == written.Type() ? i : read.size();
        }
        if (handle == 0 && index < read.size() && !used[index] && read[index].Type() == written.Type())
            return index;
        return read.size();
    }

    void WriteSegment(const TagSegment& segment) {
        for (const auto& [code, value] : segment.tags)
            StoredTag(code, value);
    }

    // The group codes this editor models for each type; every other code the file gave stays as it was.
    static bool Modelled(std::string_view type, int code) {
        static constexpr int kCommon[] = {67, 8, 62};
        static constexpr int kPoint10[] = {10, 20, 30};
        static constexpr int kPoint11[] = {11, 21, 31};
        auto in = [code](std::initializer_list<int> codes) {
            return std::find(codes.begin(), codes.end(), code) != codes.end();
        };
        bool point10 = std::find(std::begin(kPoint10), std::end(kPoint10), code) != std::end(kPoint10);
        bool point11 = std::find(std::begin(kPoint11), std::end(kPoint11), code) != std::end(kPoint11);
        if (type == "LAYER")
            return in({2, 62, 6});
        if (type == "STYLE")
            return in({2, 40, 41, 50, 3, 4});
        if (type == "BLOCK_RECORD")
            return code == 2;
        if (std::find(std::begin(kCommon), std::end(kCommon), code) != std::end(kCommon))
            return true;
        if (type == "LINE")
            return point10 || point11;
        if (type == "CIRCLE")
            return point10 || code == 40;
        if (type == "ARC")
            return point10 || in({40, 50, 51});
        if (type == "TEXT")
            return point10 || point11 || in({40, 1, 50, 41, 7, 72, 73});
        if (type == "ATTDEF" || type == "ATTRIB")
            return point10 || point11 || in({40, 1, 50, 41, 7, 72, 2, 70, 74}) || (type == "ATTDEF" && code == 3);
        if (type == "INSERT")
            return point10 || in({66, 2, 41, 42, 43, 50, 70, 71, 44, 45});
        if (type == "LWPOLYLINE")
            return in({90, 70, 10, 20, 40, 41, 42, 91});
        if (type == "POLYLINE")
            return point10 || in({66, 70});
        if (type == "VERTEX")
            return point10;
        return false; // SEQEND: only its handle and owner
    }

    void Merge(const TagSegment& read, const TagSegment& written) {
        std::string_view type = written.Type();
        // What stays of the read tags, by the subclass they were in; "" for those before the first one.
        std::vector<std::pair<std::string_view, std::vector<std::pair<int, std::string_view>>>> kept{{"", {}}};
        std::vector<std::pair<int, std::string_view>> trailing; // an embedded object and extended data
        const auto& tags = read.tags;
        for (std::size_t i = 1; i < tags.size(); ++i) {
            auto [code, value] = tags[i];
            if (code == 101 || code == 1001) {
                trailing.assign(tags.begin() + static_cast<std::ptrdiff_t>(i), tags.end());
                break;
            }
            if (code == 102 && !value.empty() && value[0] == '{') {
                // Reactors and extension dictionaries stay whole, their handles with them.
                std::size_t end = i;
                while (end + 1 < tags.size() && !(tags[end].first == 102 && tags[end].second == "}"))
                    ++end;
                kept.back().second.insert(kept.back().second.end(), tags.begin() + static_cast<std::ptrdiff_t>(i),
                                          tags.begin() + static_cast<std::ptrdiff_t>(end) + 1);
                i = end;
                continue;
            }
            if (code == 100) {
                kept.emplace_back(value, std::vector<std::pair<int, std::string_view>>{});
                continue;
            }
            if (code == 5 || code == 330 || Modelled(type, code))
                continue;
            kept.back().second.push_back(tags[i]);
        }
        std::vector<bool> placed(kept.size(), false);
        auto place = [&](std::string_view subclass) {
            for (std::size_t k = 0; k < kept.size(); ++k) {
                if (!placed[k] && kept[k].first == subclass) {
                    placed[k] = true;
                    for (const auto& [code, value] : kept[k].second)
                        StoredTag(code, value);
                    return;
                }
            }
        };
        const auto& fresh = written.tags;
        bool headPlaced = false;
        std::string_view subclass;
        for (std::size_t i = 0; i < fresh.size(); ++i) {
            auto [code, value] = fresh[i];
            // A written field this editor does not model (a layer's flags, say) gives way to the file's.
            if (i > 0 && code != 5 && code != 330 && code != 100 && !Modelled(type, code))
                continue;
            StoredTag(code, value);
            if (code == 100)
                subclass = value;
            bool headHere = !headPlaced && (code == 5 || (i == 0 && (fresh.size() < 2 || fresh[1].first != 5)));
            if (headHere) {
                place("");
                headPlaced = true;
            }
            bool segmentEnds = i + 1 == fresh.size() || fresh[i + 1].first == 100;
            if (segmentEnds && !subclass.empty())
                place(subclass);
        }
        for (std::size_t k = 0; k < kept.size(); ++k) {
            if (!placed[k]) {
                if (!kept[k].first.empty())
                    StoredTag(100, kept[k].first);
                for (const auto& [code, value] : kept[k].second)
                    StoredTag(code, value);
            }
        }
        for (const auto& [code, value] : trailing)
            StoredTag(code, value);
    }

    void WriteNewRecords(ObjectId tableId) {
        for (ObjectId id : m_database.PeekAs<SymbolTable>(tableId)->records) {
            Object* record = m_database.Peek(id);
            if (!IsNew(record))
                continue;
            // R12 has no block records: a block is only its definition.
            if (record->Kind() == ObjectKind::BlockRecord && !m_modern)
                continue;
            WriteRecord(*record);
        }
    }

    void WriteNewBlocks() {
        for (ObjectId id : m_database.PeekAs<SymbolTable>(m_database.BlockTableId())->records) {
            auto* block = m_database.PeekAs<BlockTableRecord>(id);
            if (IsNew(block))
                WriteBlock(*block);
        }
    }

    void WriteNewEntities(ObjectId blockId) {
        const auto* block = m_database.PeekAs<BlockTableRecord>(blockId);
        if (!block)
            return;
        for (ObjectId id : block->entities) {
            Object* entity = m_database.Peek(id);
            if (IsNew(entity))
                WriteEntity(*entity);
        }
    }

    // Tags

    // A value as an ASCII file writes it; a binary file gets it converted to its group's kind.
    void Tag(int code, std::string_view value) {
        if (m_layout.format != DxfFormat::Ascii) {
            AppendBinaryTag(*m_target, m_layout.format, code, value, false);
            return;
        }
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%3d", code);
        std::string& out = *m_target;
        out += buffer;
        out += m_layout.lineEnd;
        out += value;
        out += m_layout.lineEnd;
    }
    // A value as a tag stream of the file's own format gave it.
    void StoredTag(int code, std::string_view value) {
        if (m_layout.format != DxfFormat::Ascii)
            AppendBinaryTag(*m_target, m_layout.format, code, value, true);
        else
            Tag(code, value);
    }
    void Text(int code, std::string_view text) { Tag(code, EncodeFileText(text, m_active, m_fileCodePage)); }
    void Real(int code, double value) { Tag(code, FormatReal(value)); }
    void Int(int code, long long value) { Tag(code, std::to_string(value)); }
    void Handle(int code, std::uint64_t handle) {
        if (m_layout.handles)
            Tag(code, FormatHandle(handle));
    }
    void Point(int code, const Point3d& p) {
        Real(code, p.x);
        Real(code + 10, p.y);
        Real(code + 20, p.z);
    }
    void Subclass(const char* name) {
        if (m_modern)
            Tag(100, name);
    }
    void Owner(ObjectId ownerId) {
        const Object* owner = m_database.Peek(ownerId);
        if (m_modern)
            Tag(330, FormatHandle(owner ? owner->Handle() : 0));
    }

    void WriteRecord(const Object& object) {
        const auto& record = static_cast<const SymbolTableRecord&>(object);
        const char* type = object.Kind() == ObjectKind::BlockRecord ? "BLOCK_RECORD"
                           : object.Kind() == ObjectKind::LayerRecord ? "LAYER"
                                                                      : "STYLE";
        Tag(0, type);
        Handle(5, object.Handle());
        Owner(object.OwnerId());
        Subclass("AcDbSymbolTableRecord");
        if (object.Kind() == ObjectKind::BlockRecord) {
            Subclass("AcDbBlockTableRecord");
            Text(2, record.name);
            return;
        }
        if (object.Kind() == ObjectKind::LayerRecord) {
            const auto& layer = static_cast<const LayerTableRecord&>(object);
            Subclass("AcDbLayerTableRecord");
            Text(2, layer.name);
            Int(70, 0);
            Int(62, layer.color);
            Text(6, layer.lineType.empty() ? "Continuous" : layer.lineType);
            return;
        }
        const auto& style = static_cast<const TextStyleTableRecord&>(object);
        Subclass("AcDbTextStyleTableRecord");
        Text(2, style.name);
        Int(70, 0);
        Real(40, style.textSize);
        Real(41, style.widthFactor);
        Real(50, Degrees(style.obliqueAngle));
        Int(71, 0);
        Real(42, style.textSize > 0.0 ? style.textSize : 2.5);
        Text(3, style.fileName);
        Text(4, style.bigFontFileName);
    }

    void WriteBlock(const BlockTableRecord& block) {
        int flags = block.flags;
        for (ObjectId id : block.entities) {
            const Object* entity = m_database.Peek(id);
            if (entity && !entity->IsErased() && entity->Kind() == ObjectKind::AttributeDefinition)
                flags |= kBlockHasAttributes;
        }
        Tag(0, "BLOCK");
        Handle(5, block.beginHandle);
        if (m_modern)
            Tag(330, FormatHandle(block.Handle()));
        Subclass("AcDbEntity");
        Tag(8, "0");
        Subclass("AcDbBlockBegin");
        Text(2, block.name);
        Int(70, flags);
        Point(10, block.origin);
        Text(3, block.name);
        Text(1, block.externalPath);
        for (ObjectId id : block.entities) {
            Object* entity = m_database.Peek(id);
            if (entity && !entity->IsErased())
                WriteEntity(*entity);
        }
        Tag(0, "ENDBLK");
        Handle(5, block.endHandle);
        if (m_modern)
            Tag(330, FormatHandle(block.Handle()));
        Subclass("AcDbEntity");
        Tag(8, "0");
        Subclass("AcDbBlockEnd");
    }

    void Common(const char* type, const Entity& entity) {
        Tag(0, type);
        Handle(5, entity.Handle());
        Owner(entity.OwnerId());
        Subclass("AcDbEntity");
        if (entity.OwnerId() == m_database.PaperSpaceId())
            Int(67, 1);
        Text(8, entity.layer.empty() ? "0" : entity.layer);
        if (entity.color != 256)
            Int(62, entity.color);
    }

    std::string StyleName(ObjectId styleId) {
        const auto* style = m_database.PeekAs<TextStyleTableRecord>(styleId);
        return style ? style->name : "Standard";
    }

    // The text part shared by TEXT, ATTDEF and ATTRIB; `subclass` is the second AcDb class of the entity.
    void TextBody(const TextEntity& text, const char* subclass) {
        Subclass("AcDbText");
        Point(10, text.position);
        Real(40, text.height);
        Text(1, text.text);
        if (text.rotation != 0.0)
            Real(50, Degrees(text.rotation));
        Real(41, text.widthFactor);
        Text(7, StyleName(text.styleId));
        Int(72, static_cast<int>(text.horizontalMode));
        if (text.horizontalMode != HorizontalMode::Left || text.verticalMode != VerticalMode::Base)
            Point(11, text.alignmentPoint);
        if (subclass) {
            Subclass(subclass);
        } else {
            Subclass("AcDbText");
            Int(73, static_cast<int>(text.verticalMode));
        }
    }

    void WriteEntity(Object& object) {
        switch (object.Kind()) {
        case ObjectKind::Line: {
            auto& line = static_cast<Line&>(object);
            Common("LINE", line);
            Subclass("AcDbLine");
            Point(10, line.start);
            Point(11, line.end);
            break;
        }
        case ObjectKind::Circle: {
            auto& circle = static_cast<Circle&>(object);
            Common("CIRCLE", circle);
            Subclass("AcDbCircle");
            Point(10, circle.center);
            Real(40, circle.radius);
            break;
        }
        case ObjectKind::Arc: {
            auto& arc = static_cast<Arc&>(object);
            Common("ARC", arc);
            Subclass("AcDbCircle");
            Point(10, arc.center);
            Real(40, arc.radius);
            Subclass("AcDbArc");
            Real(50, Degrees(arc.startAngle));
            Real(51, Degrees(arc.endAngle));
            break;
        }
        case ObjectKind::Text: {
            auto& text = static_cast<cad::Text&>(object);
            Common("TEXT", text);
            TextBody(text, nullptr);
            break;
        }
        case ObjectKind::AttributeDefinition: {
            auto& definition = static_cast<AttributeDefinition&>(object);
            Common("ATTDEF", definition);
            TextBody(definition, "AcDbAttributeDefinition");
            Text(3, definition.prompt);
            Text(2, definition.tag);
            Int(70, definition.flags);
            Int(74, static_cast<int>(definition.verticalMode));
            break;
        }
        case ObjectKind::BlockReference: WriteReference(static_cast<BlockReference&>(object)); break;
        case ObjectKind::Polyline: WritePolyline(static_cast<Polyline&>(object)); break;
        default: break; // attributes go with their reference; opaque entities only as read
        }
    }

    void WriteReference(BlockReference& reference) {
        bool grid = reference.columnCount > 1 || reference.rowCount > 1;
        bool attributes = !reference.attributes.empty();
        Common("INSERT", reference);
        Subclass("AcDbBlockReference");
        if (attributes)
            Int(66, 1);
        const auto* block = m_database.PeekAs<BlockTableRecord>(reference.blockId);
        Text(2, block ? block->name : "");
        Point(10, reference.position);
        if (reference.scale.x != 1.0)
            Real(41, reference.scale.x);
        if (reference.scale.y != 1.0)
            Real(42, reference.scale.y);
        if (reference.scale.z != 1.0)
            Real(43, reference.scale.z);
        if (reference.rotation != 0.0)
            Real(50, Degrees(reference.rotation));
        if (grid) {
            Int(70, reference.columnCount);
            Int(71, reference.rowCount);
            Real(44, reference.columnSpacing);
            Real(45, reference.rowSpacing);
        }
        if (!attributes)
            return;
        for (ObjectId id : reference.attributes) {
            const auto* attribute = m_database.PeekAs<Attribute>(id);
            if (!attribute || attribute->IsErased())
                continue;
            Tag(0, "ATTRIB");
            Handle(5, attribute->Handle());
            if (m_modern)
                Tag(330, FormatHandle(reference.Handle()));
            Subclass("AcDbEntity");
            Text(8, attribute->layer.empty() ? "0" : attribute->layer);
            if (attribute->color != 256)
                Int(62, attribute->color);
            TextBody(*attribute, "AcDbAttribute");
            Text(2, attribute->tag);
            Int(70, attribute->flags);
            Int(74, static_cast<int>(attribute->verticalMode));
        }
        Tag(0, "SEQEND");
        Handle(5, reference.sequenceEndHandle);
        if (m_modern)
            Tag(330, FormatHandle(reference.Handle()));
        Subclass("AcDbEntity");
        Text(8, reference.layer.empty() ? "0" : reference.layer);
    }

    void WritePolyline(const Polyline& polyline) {
        if (m_modern) {
            Common("LWPOLYLINE", polyline);
            Subclass("AcDbPolyline");
            Int(90, static_cast<long long>(polyline.vertices.size()));
            Int(70, polyline.closed ? 1 : 0);
            for (const Point3d& p : polyline.vertices) {
                Real(10, p.x);
                Real(20, p.y);
            }
            return;
        }
        Common("POLYLINE", polyline);
        Int(66, 1);
        Point(10, Point3d{});
        Int(70, polyline.closed ? 1 : 0);
        for (const Point3d& p : polyline.vertices) {
            Tag(0, "VERTEX");
            Text(8, polyline.layer.empty() ? "0" : polyline.layer);
            Point(10, p);
        }
        Tag(0, "SEQEND");
        Text(8, polyline.layer.empty() ? "0" : polyline.layer);
    }

    Database& m_database;
    DxfLayout& m_layout;
    const CodePage& m_active;
    std::string& m_out;
    std::string* m_target; // where tags go: the file, or an object's fresh tags while it is patched
    bool m_modern;
    const CodePage* m_fileCodePage = nullptr;
    std::uint64_t m_nextHandle = 1;
};

// A drawing made here rather than read has no file to follow. It is written as an R12 drawing, which every
// reader takes and which needs no handles: the header, the tables, blocks and entities, all of them new.
class NewDrawingLayout {
public:
    NewDrawingLayout(Database& database, const CodePage& active) : m_database(database) {
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
    DxfLayout& Layout() { return m_layout; }

private:
    void Raw(const std::string& text) {
        m_layout.items.emplace_back(DxfItemKind::Raw, m_text.size(), kNullId);
        m_text += text;
    }
    void Anchor(DxfItemKind kind, ObjectId object) {
        m_layout.items.emplace_back(kind, m_text.size(), object);
    }
    void Point(const char* variable, const Point3d& p) {
        Raw(std::string("  9\n") + variable + "\n 10\n" + FormatReal(p.x) + "\n 20\n" + FormatReal(p.y) + "\n 30\n" +
            FormatReal(p.z) + "\n");
    }
    void Table(const char* name, ObjectId tableId) {
        std::size_t count = 0;
        for (ObjectId id : m_database.PeekAs<SymbolTable>(tableId)->records) {
            const Object* record = m_database.Peek(id);
            count += record && !record->IsErased() ? 1 : 0;
        }
        Raw(std::string("  0\nTABLE\n  2\n") + name + "\n 70\n" + std::to_string(count) + "\n");
        Anchor(DxfItemKind::NewRecords, tableId);
        Raw("  0\nENDTAB\n");
    }

    Database& m_database;
    DxfLayout m_layout;
    std::string m_text; // the layout's content points into it
};

DxfResult WriteFailure(const std::string& detail) {
    DxfResult result;
    result.status = DxfStatus::CannotWrite;
    result.detail = detail;
    return result;
}

} // namespace

DxfResult WriteDxfText(Database& database, const CodePage& active, std::string& out) {
    out.clear();
    if (!database.Layout()) {
        NewDrawingLayout layout(database, active);
        DxfWriter writer(database, layout.Layout(), active, out);
        writer.Write();
        return DxfResult{};
    }
    DxfWriter writer(database, *database.Layout(), active, out);
    writer.Write();
    return DxfResult{};
}

DxfResult WriteDxfFile(Database& database, const CodePage& active, const std::string& path) {
    std::string text;
    DxfResult result = WriteDxfText(database, active, text);
    if (!result.Ok())
        return result;
    std::string temporary = path + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0)
        return WriteFailure("cannot write beside " + path + ": " + std::strerror(errno));
    std::size_t written = 0;
    while (written < text.size()) {
        ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    int error = written == text.size() ? 0 : errno;
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    // The saved drawing keeps the permissions of the one it replaces.
    struct stat existing {};
    mode_t mode = stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    if (error == 0 && fchmod(fd, mode) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        std::remove(temporary.c_str());
        return WriteFailure("cannot write " + path + ": " + std::strerror(error ? error : EIO));
    }
    return result;
}

} // namespace cad
