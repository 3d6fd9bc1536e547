#include "platform/cad/dxf/DxfReader.h"

#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfEntityChunks.h"
#include "platform/cad/dxf/DxfEntityReader.h"
#include "platform/cad/dxf/DxfLayout.h"


#include <cmath>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <numbers>
#include <optional>
#include <thread>
#include <set>
#include <unordered_map>
#include <string_view>
#include <utility>

namespace cad {

namespace {

// Group 0 names are compared all the time; a byte loop of known length beats a call to memcmp.
template <std::size_t N> bool Is(std::string_view value, const char (&name)[N]) {
    if (value.size() != N - 1)
        return false;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (value[i] != name[i])
            return false;
    }
    return true;
}

double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

class DxfReader {
public:
    DxfReader(std::shared_ptr<DxfLayout> layout, const CodePage& active, unsigned threads)
        : m_layout(std::move(layout)), m_stream(std::string_view()), m_active(active), m_threads(threads) {
        m_layout->content = m_layout->source.Content();
        m_stream = DxfTagStream(m_layout->content);
        m_layout->format = m_stream.Format();
        if (m_layout->format == DxfFormat::Ascii && m_layout->content.find("\r\n") != std::string_view::npos)
            m_layout->lineEnd = "\r\n";
        m_database = std::make_unique<Database>();
        // A drawing has roughly one object per 100 bytes; reserving saves regrowing big arrays.
        m_database->Reserve(m_layout->content.size() / 100);
        m_layout->items.reserve(m_layout->content.size() / 100);
        for (ObjectId table : {m_database->BlockTableId(), m_database->LayerTableId(), m_database->TextStyleTableId()}) {
            for (ObjectId record : m_database->PeekAs<SymbolTable>(table)->records)
                m_layout->defaultRecords.push_back(record);
        }
    }

    DxfResult Read(std::unique_ptr<Database>& out) {
        bool ended = ReadSections();
        if (!m_stream.Failed() && !ended)
            m_stream.Fail(DxfStatus::MissingEof, m_stream.Line(), "the file ends without 0 EOF");
        // What was read no longer needs its pages: saving brings back those it copies.
        m_layout->source.ReleaseBefore(m_released, m_layout->content.size(), true);
        if (m_stream.Failed())
            return m_stream.Error();
        if (std::string changed = m_layout->source.Changed(); !changed.empty()) {
            DxfResult result;
            result.status = DxfStatus::CannotOpen;
            result.detail = "the drawing changed while it was read: " + changed;
            return result;
        }
        if (m_entities) {
            m_handles.highest = std::max(m_handles.highest, m_entities->Handles().highest);
            m_handles.seen = m_handles.seen || m_entities->Handles().seen;
            m_lost = m_lost || m_entities->Lost();
        }
        m_layout->highestHandle = m_handles.highest;
        ResolveReferences();
        DxfResult result;
        result.warnings = std::move(m_warnings);
        if (m_lost)
            result.warnings.push_back("Some texts hold characters that code page " + std::to_string(m_active.Number()) +
                                      " cannot show; they are kept as \\U+XXXX escapes.");
        m_database->SetLayout(std::move(m_layout));
        out = std::move(m_database);
        return result;
    }

private:
    // Items

    void Mark(DxfItemKind kind, std::size_t begin, std::size_t end, ObjectId object) {
        if (begin > m_rawStart)
            m_layout->items.emplace_back(DxfItemKind::Raw, m_rawStart, kNullId);
        m_layout->items.emplace_back(kind, begin, object);
        m_rawStart = end; // the bytes from here to the next piece are raw

    }
    void Anchor(DxfItemKind kind, std::size_t at, ObjectId object) { Mark(kind, at, at, object); }

    // Tags

    bool Next(DxfTag& tag) {
        if (!m_stream.Next(tag))
            return false;
        if (!m_inHeader) // $HANDSEED is a handle to come, not one in use
            m_handles.Count(tag);
        return true;
    }
    bool PeekIsZero(std::string_view value) {
        DxfTag tag;
        return m_stream.Peek(tag) && tag.code == 0 && tag.value == value;
    }
    bool Fail(const DxfTag& at, std::string detail) {
        m_stream.Fail(DxfStatus::BadStructure, at.line, std::move(detail));
        return false;
    }
    std::string Decode(std::string_view raw) {
        return DecodeFileText(raw, m_fileCodePage, m_active, m_lost);
    }

    void ReadBody(EntityTags& into) { cad::ReadBody(m_stream, into, m_handles); }

    // Sections

    bool ReadSections() {
        DxfTag tag;
        while (Next(tag)) {
            if (tag.code == 0 && Is(tag.value, "EOF")) {
                if (m_layout->content.size() > m_rawStart)
                    m_layout->items.emplace_back(DxfItemKind::Raw, m_rawStart, kNullId);
                m_rawStart = m_layout->content.size();
                return true;
            }
            if (tag.code == 999)
                continue;
            // Some writers end the HEADER early and go on with more variables; they still belong to it.
            if (tag.code == 9 && m_headerRead) {
                ReadStrayHeader(tag);
                continue;
            }
            if (tag.code == 0 && Is(tag.value, "ENDSEC") && m_afterStrayHeader) {
                m_afterStrayHeader = false;
                continue;
            }
            if (tag.code != 0 || !Is(tag.value, "SECTION"))
                return Fail(tag, "expected 0 SECTION, found " + std::to_string(tag.code) + " " +
                                     std::string(tag.value.substr(0, 40)));
            DxfTag name;
            if (!Next(name) || name.code != 2)
                return m_stream.Failed() ? false : Fail(tag, "a section without its name (group 2)");
            bool read = true;
            if (Is(name.value, "HEADER")) {
                m_inHeader = true;
                read = ReadHeader();
                m_inHeader = false;
            }
            else if (Is(name.value, "TABLES"))
                read = ReadTables();
            else if (Is(name.value, "BLOCKS"))
                read = ReadBlocks();
            else if (Is(name.value, "ENTITIES"))
                read = ReadEntities();
            else if (Is(name.value, "OBJECTS"))
                read = ReadObjects(tag);
            else
                read = SkipSection(tag);
            if (!read)
                return false;
        }
        return false;
    }

    bool EndOfSection(const DxfTag& start) {
        if (m_stream.Failed())
            return false;
        return Fail(start, "the section that starts here does not end with 0 ENDSEC");
    }

    bool SkipSection(const DxfTag& start) {
        DxfTag tag;
        while (Next(tag)) {
            if (tag.code == 0 && Is(tag.value, "ENDSEC"))
                return true;
            if (tag.code == 0 && (Is(tag.value, "SECTION") || Is(tag.value, "EOF")))
                break;
        }
        return EndOfSection(start);
    }

    // The objects are written back as read; only what lookups follow is kept: the dictionaries' entries and
    // each other object's first pointer.
    bool ReadObjects(const DxfTag& start) {
        DxfTag tag;
        EntityTags& body = m_tags;
        while (Next(tag)) {
            if (tag.code != 0)
                continue;
            if (Is(tag.value, "ENDSEC"))
                return true;
            if (Is(tag.value, "SECTION") || Is(tag.value, "EOF"))
                break;
            std::string_view type = tag.value;
            ReadBody(body);
            if (m_stream.Failed())
                return false;
            FileObject object;
            bool dictionary = Is(type, "DICTIONARY");
            for (std::size_t i = 0; i < body.count; ++i) {
                const DxfTag& item = body.tags[i];
                if (dictionary && item.code == 3 && i + 1 < body.count &&
                    (body.tags[i + 1].code == 350 || body.tags[i + 1].code == 360))
                    object.entries.emplace_back(std::string(item.value), ParseHandle(body.tags[i + 1].value));
                else if (item.code == 340 && object.pointer == 0)
                    object.pointer = ParseHandle(item.value);
            }
            if (body.handle != 0 && (dictionary || object.pointer != 0)) {
                object.type = std::string(type);
                m_database->AddFileObject(body.handle, std::move(object));
            }
        }
        return EndOfSection(start);
    }

    // The extended data after the modelled tags, as the editor keeps it for a block record.
    std::vector<XDataItem> XData(const EntityTags& tags) {
        std::vector<XDataItem> xdata;
        std::size_t i = 0;
        while (i < tags.count && tags.tags[i].code != 1001)
            ++i;
        for (; i < tags.count; ++i) {
            const DxfTag& tag = tags.tags[i];
            if (tag.code < 1000)
                break;
            XDataItem item;
            item.code = tag.code;
            DxfValueKind kind = ValueKindOf(tag.code);
            if (kind == DxfValueKind::Text || kind == DxfValueKind::Handle)
                item.text = tag.code == 1004 ? std::string() : Decode(tag.value);
            else
                item.number = tag.number;
            xdata.push_back(std::move(item));
        }
        return xdata;
    }

    void HeaderValue(std::string_view variable, const DxfTag& tag) {
        DrawingHeader& header = m_database->Header();
        if (variable == "$ACADVER" && tag.code == 1) {
            header.version = std::string(tag.value.substr(0, tag.value.find_last_not_of(' ') + 1));
        } else if (variable == "$DWGCODEPAGE" && tag.code == 3) {
            header.codePage = std::string(tag.value.substr(0, tag.value.find_last_not_of(' ') + 1));
        } else if (variable == "$HANDSEED" && tag.code == 5) {
            header.handseed = ParseHandle(tag.value);
            m_layout->handseedBegin = static_cast<std::size_t>(tag.value.data() - m_layout->content.data());
            m_layout->handseedEnd = m_layout->handseedBegin + tag.value.size();
            m_sawHandseed = true;
        } else if (variable == "$INSUNITS" && tag.code == 70) {
            // Numbers come read by the stream, from text or from bytes alike.
            header.insertionUnits = static_cast<int>(tag.number);
        } else if (variable == "$HANDLING" && tag.code == 70) {
            m_handling = tag.number != 0.0;
        } else if (tag.code >= 10 && tag.code <= 30 && tag.code % 10 == 0) {
            Point3d* point = variable == "$INSBASE" ? &header.insertionBase
                             : variable == "$EXTMIN" ? &header.extentsMin
                             : variable == "$EXTMAX" ? &header.extentsMax
                                                     : nullptr;
            if (point)
                (tag.code == 10 ? point->x : tag.code == 20 ? point->y : point->z) = tag.number;
        }
    }

    bool ReadHeader() {
        DrawingHeader& header = m_database->Header();
        std::string_view variable;
        DxfTag tag;
        int line = m_stream.Line();
        while (Next(tag)) {
            if (tag.code == 0) {
                if (!Is(tag.value, "ENDSEC"))
                    return Fail(tag, "the HEADER section does not end with 0 ENDSEC");
                break;
            }
            if (tag.code == 9) {
                variable = tag.value;
                continue;
            }
            HeaderValue(variable, tag);
        }
        if (m_stream.Failed())
            return false;
        if (tag.code != 0) {
            m_stream.Fail(DxfStatus::BadStructure, line, "the HEADER section does not end with 0 ENDSEC");
            return false;
        }
        if (!m_sawHandseed)
            header.handseed = 0;
        m_headerRead = true;
        return true;
    }

    void ReadStrayHeader(const DxfTag& first) {
        if (!m_afterStrayHeader)
            m_warnings.push_back("Header variables follow the end of the HEADER section (" + m_stream.Place(first.line) +
                                 "); they are read as part of it.");
        m_afterStrayHeader = true;
        m_inHeader = true;
        std::string_view variable = first.value;
        DxfTag tag;
        while (m_stream.Peek(tag) && tag.code != 0) {
            Next(tag);
            if (tag.code == 9)
                variable = tag.value;
            else
                HeaderValue(variable, tag);
        }
        m_inHeader = false;
    }

    void SettleEncoding() {
        if (m_encodingSettled)
            return;
        m_encodingSettled = true;
        if (!m_headerRead)
            m_database->Header().version = "AC1009";
        // Releases compared as numbers: "AC2.10" is older than "AC1021", though it sorts after it as text.
        m_layout->utf8 = m_database->Header().Release() >= kReleaseR2007;
        if (m_layout->utf8) {
            m_fileCodePage = nullptr;
        } else {
            m_fileCodePage = CodePage::FromDxfName(m_database->Header().codePage);
            if (!m_fileCodePage) {
                m_warnings.push_back("The drawing's code page " + m_database->Header().codePage +
                                     " is not known here; its text is read as ANSI_1252.");
                m_fileCodePage = &CodePage::Default();
            }
            m_layout->codePage = m_fileCodePage->Number();
        }
        // Names are looked up as they stand at the time: a block may be defined after a reference to it.
        Database& database = *m_database;
        m_entities.emplace(
            database.Arena(), m_fileCodePage, m_active,
            [&database](const std::string& name) { return database.FindRecord(database.BlockTableId(), name); },
            [&database](const std::string& name) { return database.FindRecord(database.TextStyleTableId(), name); });
    }

    // Tables

    bool ReadTables() {
        SettleEncoding();
        DxfTag start;
        m_stream.Peek(start);
        DxfTag tag;
        while (Next(tag)) {
            if (tag.code == 0 && Is(tag.value, "ENDSEC"))
                return true;
            if (tag.code != 0 || !Is(tag.value, "TABLE"))
                return Fail(tag, "expected 0 TABLE in the TABLES section, found " + std::string(tag.value.substr(0, 40)));
            if (!ReadTable(tag))
                return false;
        }
        return EndOfSection(start);
    }

    bool ReadTable(const DxfTag& start) {
        EntityTags& head = m_headTags;
        ReadBody(head);
        std::string_view name = head.Text(2);
        ObjectId tableId = name == "STYLE"          ? m_database->TextStyleTableId()
                           : name == "LAYER"        ? m_database->LayerTableId()
                           : name == "BLOCK_RECORD" ? m_database->BlockTableId()
                                                    : kNullId;
        if (tableId != kNullId)
            m_database->Peek(tableId)->SetHandle(head.handle);
        DxfTag tag;
        while (m_stream.Peek(tag)) {
            if (tag.code != 0)
                return Fail(tag, "expected a table entry");
            if (Is(tag.value, "ENDTAB")) {
                if (tableId != kNullId)
                    Anchor(DxfItemKind::NewRecords, tag.begin, tableId);
                Next(tag);
                return true;
            }
            if (Is(tag.value, "ENDSEC") || Is(tag.value, "TABLE") || Is(tag.value, "EOF"))
                return Fail(start, "the table that starts here does not end with 0 ENDTAB");
            Next(tag);
            std::size_t begin = tag.begin;
            EntityTags& entry = m_tags;
            ReadBody(entry);
            if (m_stream.Failed())
                return false;
            if (tableId != kNullId && tag.value == name)
                ReadRecord(tableId, entry, begin);
        }
        return m_stream.Failed() ? false : Fail(start, "the table that starts here does not end with 0 ENDTAB");
    }

    void ReadRecord(ObjectId tableId, const EntityTags& entry, std::size_t begin) {
        std::string recordName = Decode(entry.Text(2));
        ObjectId id = m_database->FindRecord(tableId, recordName);
        SymbolTableRecord* record = id != kNullId ? m_database->PeekAs<SymbolTableRecord>(id) : nullptr;
        if (record && record->FromFile()) {
            m_warnings.push_back("The drawing names \"" + recordName + "\" twice in one table; the second is kept as it is.");
            return;
        }
        if (!record) {
            std::unique_ptr<SymbolTableRecord> created;
            if (tableId == m_database->BlockTableId())
                created = std::make_unique<BlockTableRecord>();
            else if (tableId == m_database->LayerTableId())
                created = std::make_unique<LayerTableRecord>();
            else
                created = std::make_unique<TextStyleTableRecord>();
            created->name = recordName;
            if (m_database->AddRecord(tableId, std::move(created), &id) != ErrorStatus::Ok)
                return; // a nameless entry stays as the file has it
            record = m_database->PeekAs<SymbolTableRecord>(id);
        }
        record->SetHandle(entry.handle);
        record->SetFromFile(true);
        if (auto* block = dynamic_cast<BlockTableRecord*>(record))
            block->xdata = XData(entry);
        if (auto* style = dynamic_cast<TextStyleTableRecord*>(record)) {
            style->fileName = Decode(entry.Text(3));
            style->bigFontFileName = Decode(entry.Text(4));
            style->textSize = entry.Real(40);
            style->widthFactor = entry.Real(41, 1.0);
            style->obliqueAngle = Radians(entry.Real(50));
        } else if (auto* layer = dynamic_cast<LayerTableRecord*>(record)) {
            layer->color = static_cast<int>(entry.Int(62, 7));
            layer->lineType = Decode(entry.Text(6));
        }
        Mark(DxfItemKind::Object, begin, m_stream.Offset(), id);
    }

    // Blocks

    bool ReadBlocks() {
        SettleEncoding();
        DxfTag start;
        m_stream.Peek(start);
        DxfTag tag;
        while (Next(tag)) {
            if (tag.code == 0 && Is(tag.value, "ENDSEC")) {
                Anchor(DxfItemKind::NewBlocks, tag.begin, kNullId);
                return true;
            }
            if (tag.code != 0 || !Is(tag.value, "BLOCK"))
                return Fail(tag, "expected 0 BLOCK in the BLOCKS section, found " + std::string(tag.value.substr(0, 40)));
            if (!ReadBlock(tag))
                return false;
        }
        return EndOfSection(start);
    }

    bool ReadBlock(const DxfTag& start) {
        EntityTags& head = m_headTags;
        ReadBody(head);
        std::string name = Decode(head.Text(2));
        if (name.empty())
            return Fail(start, "a block definition without a name");
        ObjectId blockId = m_database->FindRecord(m_database->BlockTableId(), name);
        // R12 writers name the layouts "$Model_Space" and "$Paper_Space".
        if (NamesEqual(name, "$Model_Space"))
            blockId = m_database->ModelSpaceId();
        else if (NamesEqual(name, "$Paper_Space"))
            blockId = m_database->PaperSpaceId();
        auto* block = blockId != kNullId ? m_database->PeekAs<BlockTableRecord>(blockId) : nullptr;
        if (!block) {
            auto created = std::make_unique<BlockTableRecord>();
            created->name = name;
            if (m_database->AddRecord(m_database->BlockTableId(), std::move(created), &blockId) != ErrorStatus::Ok)
                return Fail(start, "the block \"" + name + "\" cannot be kept");
            block = m_database->PeekAs<BlockTableRecord>(blockId);
        }
        // R12 files have no block records: the definition itself is what was read.
        block->SetFromFile(true);
        block->origin = head.Point(10);
        block->flags = static_cast<int>(head.Int(70));
        block->externalPath = Decode(head.Text(1));
        block->beginHandle = head.handle;
        DxfTag tag;
        while (m_stream.Peek(tag)) {
            if (tag.code != 0)
                return Fail(tag, "expected an entity in block \"" + name + "\"");
            if (Is(tag.value, "ENDBLK")) {
                // The entities of model space and of the active paper space are written in ENTITIES.
                if (blockId != m_database->ModelSpaceId() && blockId != m_database->PaperSpaceId())
                    Anchor(DxfItemKind::NewEntities, tag.begin, blockId);
                Next(tag);
                EntityTags& end = m_followerTags;
                ReadBody(end);
                block->endHandle = end.handle;
                return !m_stream.Failed();
            }
            if (Is(tag.value, "ENDSEC") || Is(tag.value, "BLOCK") || Is(tag.value, "EOF"))
                return Fail(start, "block \"" + name + "\" does not end with 0 ENDBLK");
            if (!ReadEntity(blockId, blockId))
                return false;
        }
        return m_stream.Failed() ? false : Fail(start, "block \"" + name + "\" does not end with 0 ENDBLK");
    }

    bool ReadEntities() {
        SettleEncoding();
        DxfTag start;
        m_stream.Peek(start);
        if (m_threads > 1 && m_layout->format == DxfFormat::Ascii && start.code == 0 && !Is(start.value, "ENDSEC") &&
            m_layout->content.size() - start.begin >= kChunkedFrom) {
            if (!ReadEntitiesInChunks(start))
                return false;
        }
        DxfTag tag;
        while (m_stream.Peek(tag)) {
            if (tag.code == 0 && Is(tag.value, "ENDSEC")) {
                Anchor(DxfItemKind::NewEntities, tag.begin, m_database->ModelSpaceId());
                Anchor(DxfItemKind::NewEntities, tag.begin, m_database->PaperSpaceId());
                Next(tag);
                return true;
            }
            if (tag.code != 0 || Is(tag.value, "SECTION") || Is(tag.value, "EOF"))
                break;
            if (!ReadEntity(m_database->ModelSpaceId(), m_database->PaperSpaceId()))
                return false;
        }
        return EndOfSection(start);
    }

    // Entities

    // Names as FindRecord finds them, in a map that threads can share while the database stays as it is.
    std::unordered_map<std::string, ObjectId> NamesOf(ObjectId tableId) const {
        std::unordered_map<std::string, ObjectId> names;
        for (ObjectId id : m_database->PeekAs<SymbolTable>(tableId)->records) {
            const auto* record = m_database->PeekAs<SymbolTableRecord>(id);
            if (record && !record->IsErased())
                names.emplace(FoldName(record->name), id); // the first of a name, as FindRecord gives
        }
        return names;
    }

    // The section's entities in chunks on several threads, taken in file order; the stream goes on after the
    // last one taken, where the single reader reads what is left (the ENDSEC, or a chunk that has to be read again).
    bool ReadEntitiesInChunks(const DxfTag& first) {
        std::string_view content = m_layout->content;
        // A few chunks per thread, so that a thread slowed by something else holds up little.
        std::size_t most = std::min<std::size_t>((content.size() - first.begin) / (kChunkedFrom / 2), 4 * m_threads);
        std::vector<std::size_t> starts = EntityChunkStarts(content, first.begin, static_cast<unsigned>(most));
        if (starts.size() < 2)
            return true;
        std::vector<EntityChunk> chunks(starts.size());
        for (std::size_t k = 0; k < starts.size(); ++k) {
            chunks[k].begin = starts[k];
            chunks[k].limit = k + 1 < starts.size() ? starts[k + 1] : content.size();
        }
        auto blocks = NamesOf(m_database->BlockTableId());
        auto styles = NamesOf(m_database->TextStyleTableId());
        auto find = [](const std::unordered_map<std::string, ObjectId>& names, const std::string& name) {
            auto found = names.find(FoldName(name));
            return found == names.end() ? kNullId : found->second;
        };
        int lines = first.line - 1; // before the chunk to take
        bool failed = false;
        auto take = [&](EntityChunk& chunk) {
            if (chunk.outcome == EntityChunk::Outcome::Redo) {
                m_stream.Resume(chunk.begin, lines);
                return false;
            }
            std::size_t end = chunk.outcome == EntityChunk::Outcome::Complete ? chunk.limit : chunk.stop;
            if (!Adopt(chunk.records, chunk.unresolved, m_database->ModelSpaceId(), m_database->PaperSpaceId(), end)) {
                failed = true;
                return false;
            }
            EntityRecords().swap(chunk.records);
            m_database->AdoptArena(std::move(chunk.arena));
            m_handles.highest = std::max(m_handles.highest, chunk.handles.highest);
            m_handles.seen = m_handles.seen || chunk.handles.seen;
            m_lost = m_lost || chunk.lost;
            lines += chunk.stopLines;
            m_stream.Resume(end, lines);
            return chunk.outcome == EntityChunk::Outcome::Complete;
        };
        ReadEntityChunks(
            m_layout->source, chunks, m_threads, m_fileCodePage, m_active,
            [&](const std::string& name) { return find(blocks, name); },
            [&](const std::string& name) { return find(styles, name); }, take);
        return !failed;
    }

    bool ReadEntity(ObjectId owner, ObjectId paperOwner) {
        m_layout->source.ReleaseBefore(m_released, m_stream.Offset());
        m_records.clear();
        if (!m_entities->Read(m_stream, m_records))
            return false;
        return Adopt(m_records, m_entities->UnresolvedNames(), owner, paperOwner, m_stream.Offset());
    }

    // Entities read and made, into the database in their order, which then owns them; `names` are those of
    // their references to blocks not defined yet, in order. The last entity ends at `end`.
    bool Adopt(EntityRecords& records, std::vector<std::string>& names, ObjectId owner, ObjectId paperOwner,
               std::size_t end) {
        std::size_t unresolved = 0;
        ObjectId last = kNullId;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const EntityRecord& record = records[i];
            if (record.flags & EntityRecord::kAttribute) {
                ObjectId attributeId = kNullId;
                [[maybe_unused]] ErrorStatus status = m_database->AppendAttribute(
                    last, ObjectPtr<Attribute>(static_cast<Attribute*>(record.entity)), &attributeId);
                continue;
            }
            ObjectId block = record.flags & EntityRecord::kPaperSpace ? paperOwner : owner;
            if (m_database->AppendEntity(block, ObjectPtr<Entity>(record.entity), &last) != ErrorStatus::Ok) {
                for (std::size_t rest = i + 1; rest < records.size(); ++rest)
                    ObjectDeleter()(records[rest].entity);
                records.clear();
                m_stream.Fail(DxfStatus::BadStructure, m_stream.Line(), "an entity outside any block");
                return false;
            }
            if (record.flags & EntityRecord::kUnresolved)
                m_pendingReferences.emplace_back(last, std::move(names[unresolved++]));
            std::size_t next = i + 1;
            while (next < records.size() && (records[next].flags & EntityRecord::kAttribute))
                ++next;
            Mark(DxfItemKind::Object, record.begin, next < records.size() ? records[next].begin : end, last);
        }
        records.clear();
        names.clear();
        return true;
    }

    void ResolveReferences() {
        // A drawing may hold many references to few blocks: look the names up once.
        std::unordered_map<std::string, ObjectId> blocks;
        for (ObjectId id : m_database->PeekAs<SymbolTable>(m_database->BlockTableId())->records) {
            const auto* record = m_database->PeekAs<BlockTableRecord>(id);
            if (record && !record->IsErased())
                blocks.emplace(FoldName(record->name), id);
        }
        for (auto& [id, name] : m_pendingReferences) {
            auto found = blocks.find(FoldName(name));
            ObjectId block = found == blocks.end() ? kNullId : found->second;
            m_database->PeekAs<BlockReference>(id)->blockId = block;
            if (block == kNullId) {
                std::string warning = "A block reference names the block \"" + name + "\", which is not defined.";
                if (m_undefined.insert(name).second)
                    m_warnings.push_back(warning);
            }
        }
        m_layout->handles = m_handles.seen || m_handling || m_database->Header().Release() >= kReleaseR2000;
    }

    std::shared_ptr<DxfLayout> m_layout;
    DxfTagStream m_stream;
    const CodePage& m_active;
    const CodePage* m_fileCodePage = &CodePage::Default();
    std::unique_ptr<Database> m_database;
    std::size_t m_rawStart = 0;
    std::size_t m_released = 0; // the file's pages before this are let go
    EntityTags m_headTags; // of a table or a block
    EntityTags m_tags;
    EntityTags m_followerTags;
    std::vector<std::pair<ObjectId, std::string>> m_pendingReferences;
    HandleCount m_handles; // of the tags read here rather than by the entity reader
    std::optional<EntityReader> m_entities; // once the text's encoding is known
    EntityRecords m_records;
    unsigned m_threads;
    std::vector<std::string> m_warnings;
    std::set<std::string> m_undefined;
    bool m_lost = false;
    bool m_headerRead = false;
    bool m_encodingSettled = false;
    bool m_handling = false;
    bool m_inHeader = false;
    bool m_sawHandseed = false;
    bool m_afterStrayHeader = false; // $HANDSEED is a handle to come, not one in use
};

} // namespace

namespace {
unsigned Threads(unsigned asked) {
    if (asked > 0)
        return asked;
    unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : std::min(cores, 8u);
}
} // namespace

DxfResult ReadDxfText(std::string_view content, const CodePage& active, std::unique_ptr<Database>& out,
                      unsigned threads) {
    auto layout = std::make_shared<DxfLayout>();
    if (!layout->source.Copy(content)) {
        DxfResult result;
        result.status = DxfStatus::CannotOpen;
        result.detail = "not enough memory for a drawing of " + std::to_string(content.size()) + " bytes";
        return result;
    }
    DxfReader reader(std::move(layout), active, Threads(threads));
    return reader.Read(out);
}

DxfResult ReadDxfFile(const std::string& path, const CodePage& active, std::unique_ptr<Database>& out,
                      unsigned threads) {
    auto layout = std::make_shared<DxfLayout>();
    if (DxfResult opened = layout->source.Open(path); !opened.Ok())
        return opened;
    DxfReader reader(std::move(layout), active, Threads(threads));
    return reader.Read(out);
}

} // namespace cad
