#include "platform/cad/dxf/DxfWriter.h"

#include "platform/files/ReplacingWrite.h"

#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfLayout.h"
#include "platform/cad/dxf/DxfNewLayout.h"
#include "platform/cad/dxf/DxfPatch.h"

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

// Where the drawing goes while it is written: all of it into a string, or into a file a piece at a time, so that
// saving a big drawing holds a few megabytes of it rather than all of it.
class DxfWriter {
public:
    DxfWriter(Database& database, DxfLayout& layout, const CodePage& active, std::string& out, int file = -1)
        : m_database(database), m_layout(layout), m_active(active), m_out(out), m_target(&out), m_file(file),
          m_modern(database.Header().Release() >= kReleaseR2000) {
        m_fileCodePage = m_layout.utf8 ? nullptr : CodePage::Find(m_layout.codePage);
        if (!m_layout.utf8 && !m_fileCodePage)
            m_fileCodePage = &CodePage::Default();
        m_nextHandle = std::max<std::uint64_t>(database.Header().handseed, m_layout.highestHandle + 1);
    }

    // False when the file could not be written: Error() tells why.
    bool Write() {
        AssignHandles();
        if (m_file < 0)
            m_out.reserve(m_layout.content.size() + 4096);
        for (std::size_t i = 0; i < m_layout.items.size() && m_error == 0; ++i) {
            const DxfItem& item = m_layout.items[i];
            switch (item.Kind()) {
            case DxfItemKind::Raw: WriteRaw(item.Begin(), m_layout.End(i)); break;
            case DxfItemKind::Object: WriteObject(item.object, item.Begin(), m_layout.End(i)); break;
            case DxfItemKind::NewRecords: WriteNewRecords(item.object); break;
            case DxfItemKind::NewBlocks: WriteNewBlocks(); break;
            case DxfItemKind::NewEntities: WriteNewEntities(item.object); break;
            }
            if (m_out.size() >= kPiece)
                Flush();
        }
        Flush();
        return m_error == 0;
    }
    int Error() const { return m_error; }

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

    // Output

    static constexpr std::size_t kPiece = std::size_t{4} << 20;

    void Send(const char* data, std::size_t size) {
        while (size > 0 && m_error == 0) {
            ssize_t n = ::write(m_file, data, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                m_error = n < 0 ? errno : EIO;
                break;
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    // Sends what has gathered to the file, and lets go of the pages of the drawing read that went into it.
    void Flush() {
        if (m_file < 0)
            return;
        Send(m_out.data(), m_out.size());
        m_out.clear();
        m_layout.source.ReleaseBefore(m_released, m_copied);
    }

    // Bytes of the file read, as they were: a long run goes straight from the drawing read to the file.
    void Copy(std::size_t begin, std::size_t end) {
        if (m_file < 0 || end - begin < kPiece) {
            m_out.append(m_layout.content, begin, end - begin);
        } else {
            Flush();
            for (std::size_t at = begin; at < end && m_error == 0; at += kPiece) {
                std::size_t size = std::min(kPiece, end - at);
                Send(m_layout.content.data() + at, size);
                m_layout.source.ReleaseBefore(m_released, at + size);
            }
        }
        m_copied = std::max(m_copied, end);
    }

    // Raw bytes, with $HANDSEED raised when it lies inside them.
    void WriteRaw(std::size_t begin, std::size_t end) {
        std::size_t seedBegin = m_layout.handseedBegin;
        std::size_t seedEnd = m_layout.handseedEnd;
        if (seedEnd > seedBegin && seedBegin >= begin && seedEnd <= end) {
            Copy(begin, seedBegin);
            m_out += FormatHandle(m_database.Header().handseed);
            Copy(seedEnd, end);
        } else {
            Copy(begin, end);
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
        // linetypes, whether a layer is plotted) stays: the object's fresh tags are merged into the ones it was read with.
        std::string fresh;
        m_target = &fresh;
        if (IsSymbolRecordKind(object->Kind()))
            WriteRecord(*object);
        else
            WriteEntity(*object);
        m_target = &m_out;
        for (const auto& [code, value] : MergeTags(m_layout.content.substr(begin, end - begin), fresh, m_layout.format))
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
            Int(70, layer.flags);
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
    int m_file;            // -1 when all of it goes to m_out
    int m_error = 0;
    std::size_t m_copied = 0;   // the drawing read has been copied up to here
    std::size_t m_released = 0; // and its pages let go up to here
    bool m_modern;
    const CodePage* m_fileCodePage = nullptr;
    std::uint64_t m_nextHandle = 1;
};

DxfResult WriteFailure(const std::string& detail) {
    DxfResult result;
    result.status = DxfStatus::CannotWrite;
    result.detail = detail;
    return result;
}

} // namespace

namespace {
// A mapped drawing file changed by another program no longer holds what was read: copying from it would save
// something else, or fail outright.
bool SourceChanged(Database& database, const std::string& target, DxfResult& result) {
    if (!database.Layout())
        return false;
    std::string changed = database.Layout()->source.Changed();
    if (changed.empty())
        return false;
    result = WriteFailure("cannot save " + target + ": " + changed +
                          ", so the parts of the drawing not changed here cannot be copied from it. Nothing was "
                          "written; open the drawing again and redo the changes.");
    return true;
}

// Writes the drawing into `out`, or into `file` when it is not -1; an errno, or 0.
int Write(Database& database, const CodePage& active, std::string& out, int file) {
    if (!database.Layout()) {
        NewDrawingLayout layout(database, active);
        DxfWriter writer(database, layout.Layout(), active, out, file);
        writer.Write();
        return writer.Error();
    }
    DxfWriter writer(database, *database.Layout(), active, out, file);
    writer.Write();
    return writer.Error();
}
} // namespace

DxfResult WriteDxfText(Database& database, const CodePage& active, std::string& out) {
    out.clear();
    DxfResult result;
    if (SourceChanged(database, "the drawing", result))
        return result;
    Write(database, active, out, -1);
    return result;
}

DxfResult WriteDxfFile(Database& database, const CodePage& active, const std::string& path) {
    DxfResult result;
    if (SourceChanged(database, path, result))
        return result;
    // The drawing takes the file's place only once it is whole, with the mode of the file it replaces.
    files::ReplacingWrite file;
    std::string why;
    if (!file.Open(path, why))
        return WriteFailure(why);
    std::string buffer;
    int error = Write(database, active, buffer, file.Descriptor());
    if (error != 0)
        return WriteFailure("cannot write " + path + ": " + std::strerror(error));
    // Another program may have cut the drawing read short while it was copied: what was copied is not it.
    if (SourceChanged(database, path, result))
        return result;
    if (!file.Commit(why))
        return WriteFailure(why);
    return result;
}

} // namespace cad
