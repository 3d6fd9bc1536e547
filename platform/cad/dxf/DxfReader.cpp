#include "platform/cad/dxf/DxfReader.h"

#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfFileReader.h"
#include "platform/cad/dxf/DxfRecovery.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

namespace cad {

DxfReader::DxfReader(std::shared_ptr<DxfLayout> layout, const CodePage& active, const DxfReadOptions& options)
    : m_layout(std::move(layout)), m_stream(std::string_view()), m_active(active), m_options(options) {
    m_layout->content = m_layout->source.Content();
    m_stream = DxfTagStream(m_layout->content);
    m_layout->format = m_stream.Format();
    // A file keeps to one line end; its first lines tell which, without a pass over a big file's every byte.
    if (m_layout->format == DxfFormat::Ascii && m_layout->content.substr(0, 65536).find("\r\n") != std::string_view::npos)
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

DxfResult DxfReader::Read(std::unique_ptr<Database>& out) {
    bool ended = ReadSections();
    if (!m_stream.Failed() && !ended)
        m_stream.Fail(DxfStatus::MissingEof, m_stream.Line(), "the file ends without 0 EOF");
    // What was read no longer needs its pages: saving brings back those it copies.
    m_layout->source.ReleaseBefore(m_released, m_layout->content.size(), true);
    // A file another program changed meanwhile may have been read in part as it was and in part as it became,
    // or not at all where it was cut short: whatever came of it is not the drawing.
    if (std::string changed = m_layout->source.Changed(); !changed.empty()) {
        DxfResult result;
        result.status = DxfStatus::CannotOpen;
        result.detail = m_layout->source.Path() + " changed while it was being read. Open it again once the program "
                                                  "that changes it has finished.";
        return result;
    }
    if (m_stream.Failed())
        return m_stream.Error();
    if (m_entities) {
        m_handles.highest = std::max(m_handles.highest, m_entities->Handles().highest);
        m_handles.seen = m_handles.seen || m_entities->Handles().seen;
        m_lost = m_lost || m_entities->Lost();
    }
    m_layout->highestHandle = m_handles.highest;
    ResolveReferences();
    DxfResult result;
    result.warnings = std::move(m_warnings);
    result.leftOut = std::move(m_leftOut);
    result.skipped = std::move(m_skipped);
    if (m_lost)
        result.warnings.push_back("Some texts hold characters that code page " + std::to_string(m_active.Number()) +
                                  " cannot show; they are kept as \\U+XXXX escapes.");
    m_database->SetLayout(std::move(m_layout));
    out = std::move(m_database);
    return result;
}

void DxfReader::Mark(DxfItemKind kind, std::size_t begin, std::size_t end, ObjectId object) {
    if (begin > m_rawStart)
        m_layout->items.emplace_back(DxfItemKind::Raw, m_rawStart, kNullId);
    m_layout->items.emplace_back(kind, begin, object);
    m_rawStart = end; // the bytes from here to the next piece are raw

}

bool DxfReader::Next(DxfTag& tag) {
    if (!m_stream.Next(tag))
        return false;
    if (!m_inHeader) // $HANDSEED is a handle to come, not one in use
        m_handles.Count(tag);
    return true;
}

bool DxfReader::Fail(const DxfTag& at, std::string detail) {
    m_stream.Fail(DxfStatus::BadStructure, at.line, std::move(detail));
    return false;
}

std::string DxfReader::Decode(std::string_view raw) {
    return DecodeFileText(raw, m_fileCodePage, m_active, m_lost);
}

bool DxfReader::ReadSections() {
    DxfTag tag;
    while (Next(tag)) {
        if (tag.code == 0 && IsName(tag.value, "EOF")) {
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
        if (tag.code == 0 && IsName(tag.value, "ENDSEC") && m_afterStrayHeader) {
            m_afterStrayHeader = false;
            continue;
        }
        // An end with nothing to end, left over by a writer that lost its count.
        if (tag.code == 0 && (IsName(tag.value, "ENDSEC") || IsName(tag.value, "ENDBLK")) && !m_options.strict) {
            m_stream.Recover(tag.begin, tag.line - 1);
            if (!SkipStray(tag))
                return false;
            continue;
        }
        if (tag.code != 0 || !IsName(tag.value, "SECTION"))
            return Fail(tag, "expected 0 SECTION, found " + std::to_string(tag.code) + " " +
                                 std::string(tag.value.substr(0, 40)));
        DxfTag name;
        if (!Next(name) || name.code != 2)
            return m_stream.Failed() ? false : Fail(tag, "a section without its name (group 2)");
        bool read = true;
        if (IsName(name.value, "HEADER")) {
            m_inHeader = true;
            read = ReadHeader();
            m_inHeader = false;
        }
        else if (IsName(name.value, "TABLES"))
            read = ReadTables();
        else if (IsName(name.value, "BLOCKS"))
            read = ReadBlocks();
        else if (IsName(name.value, "ENTITIES"))
            read = ReadEntities();
        else if (IsName(name.value, "OBJECTS"))
            read = ReadObjects(tag);
        else
            read = SkipSection(tag);
        if (!read)
            return false;
    }
    return false;
}

bool DxfReader::EndOfSection(const DxfTag& start) {
    if (m_stream.Failed())
        return false;
    return Fail(start, "the section that starts here does not end with 0 ENDSEC");
}

DxfTag DxfReader::SectionStart() {
    DxfTag start;
    if (!m_stream.Peek(start)) {
        start = DxfTag{};
        start.code = -1;
        start.begin = m_stream.Offset();
        start.line = m_stream.OffsetLine() + 1;
    }
    return start;
}

bool DxfReader::SkipSection(const DxfTag& start) {
    DxfTag tag;
    while (Next(tag)) {
        if (tag.code == 0 && IsName(tag.value, "ENDSEC"))
            return true;
        if (tag.code == 0 && (IsName(tag.value, "SECTION") || IsName(tag.value, "EOF")))
            break;
    }
    return EndOfSection(start);
}

bool DxfReader::ReadObjects(const DxfTag& start) {
    DxfTag tag;
    EntityTags& body = m_tags;
    for (;;) {
        if (!m_stream.Peek(tag)) {
            if (LeaveOutHere("an object"))
                continue;
            break;
        }
        if (tag.code == 0 && IsName(tag.value, "ENDSEC") && !EndsSection()) {
            if (!SkipStray(tag))
                return false;
            continue;
        }
        Next(tag);
        if (tag.code != 0)
            continue;
        if (IsName(tag.value, "ENDSEC"))
            return true;
        if (IsName(tag.value, "SECTION") || IsName(tag.value, "EOF"))
            break;
        std::string_view type = tag.value;
        ReadBody(body);
        if (m_stream.Failed()) {
            if (LeaveOut(tag.begin, tag.line, LeftOutName(type)))
                continue;
            return false;
        }
        FileObject object;
        bool dictionary = IsName(type, "DICTIONARY");
        bool imageDefinition = IsName(type, "IMAGEDEF");
        bool layout = IsName(type, "LAYOUT");
        bool inLayout = false;
        for (std::size_t i = 0; i < body.count; ++i) {
            const DxfTag& item = body.tags[i];
            if (dictionary && item.code == 3 && i + 1 < body.count &&
                (body.tags[i + 1].code == 350 || body.tags[i + 1].code == 360))
                object.entries.emplace_back(std::string(item.value), ParseHandle(body.tags[i + 1].value));
            else if (layout && item.code == 100)
                inLayout = IsName(item.value, "AcDbLayout");
            else if (layout && inLayout && item.code == 330 && object.pointer == 0)
                object.pointer = ParseHandle(item.value);
            else if (layout && inLayout && item.code == 71)
                object.order = static_cast<int>(item.number);
            else if (item.code == 340 && object.pointer == 0 && !layout)
                object.pointer = ParseHandle(item.value);
            else if ((imageDefinition || (layout && inLayout)) && item.code == 1)
                object.name = Decode(item.value);
        }
        if (body.handle != 0 && (dictionary || object.pointer != 0 || !object.name.empty())) {
            object.type = std::string(type);
            m_database->AddFileObject(body.handle, std::move(object));
        }
    }
    return EndOfSection(start);
}

std::vector<XDataItem> DxfReader::XData(const EntityTags& tags) {
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

void DxfReader::HeaderValue(std::string_view variable, const DxfTag& tag) {
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

bool DxfReader::ReadHeader() {
    DrawingHeader& header = m_database->Header();
    std::string_view variable;
    DxfTag tag;
    int line = m_stream.Line();
    while (Next(tag)) {
        if (tag.code == 0) {
            if (!IsName(tag.value, "ENDSEC"))
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

void DxfReader::ReadStrayHeader(const DxfTag& first) {
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

void DxfReader::SettleEncoding() {
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

bool DxfReader::ReadTables() {
    SettleEncoding();
    DxfTag start = SectionStart();
    DxfTag tag;
    while (m_stream.Peek(tag)) {
        if (tag.code == 0 && IsName(tag.value, "ENDSEC") && !EndsSection()) {
            if (!SkipStray(tag))
                return false;
            continue;
        }
        Next(tag);
        if (tag.code == 0 && IsName(tag.value, "ENDSEC"))
            return true;
        if (tag.code != 0 || !IsName(tag.value, "TABLE"))
            return Fail(tag, "expected 0 TABLE in the TABLES section, found " + std::string(tag.value.substr(0, 40)));
        if (!ReadTable(tag))
            return false;
    }
    return EndOfSection(start);
}

bool DxfReader::ReadTable(const DxfTag& start) {
    EntityTags& head = m_headTags;
    ReadBody(head);
    if (m_stream.Failed())
        return false;
    std::string_view name = head.Text(2);
    ObjectId tableId = name == "STYLE"          ? m_database->TextStyleTableId()
                       : name == "LAYER"        ? m_database->LayerTableId()
                       : name == "BLOCK_RECORD" ? m_database->BlockTableId()
                                                : kNullId;
    if (tableId != kNullId)
        m_database->Peek(tableId)->SetHandle(head.handle);
    DxfTag tag;
    for (;;) {
        if (!m_stream.Peek(tag)) {
            if (LeaveOutHere(WithArticle(name) + " table entry"))
                continue;
            break;
        }
        if (tag.code != 0)
            return Fail(tag, "expected a table entry");
        if (IsName(tag.value, "ENDTAB")) {
            if (tableId != kNullId)
                Anchor(DxfItemKind::NewRecords, tag.begin, tableId);
            Next(tag);
            return true;
        }
        if (IsName(tag.value, "ENDSEC") || IsName(tag.value, "TABLE") || IsName(tag.value, "EOF"))
            return Fail(start, "the table that starts here does not end with 0 ENDTAB");
        Next(tag);
        std::size_t begin = tag.begin;
        EntityTags& entry = m_tags;
        ReadBody(entry);
        if (m_stream.Failed()) {
            if (LeaveOut(tag.begin, tag.line, WithArticle(name) + " table entry"))
                continue;
            return false;
        }
        if (tableId != kNullId && tag.value == name)
            ReadRecord(tableId, entry, begin);
    }
    return m_stream.Failed() ? false : Fail(start, "the table that starts here does not end with 0 ENDTAB");
}

void DxfReader::ReadRecord(ObjectId tableId, const EntityTags& entry, std::size_t begin) {
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
        layer->flags = static_cast<int>(entry.Int(70, 0));
    }
    Mark(DxfItemKind::Object, begin, m_stream.Offset(), id);
}

bool DxfReader::ReadBlocks() {
    SettleEncoding();
    DxfTag start = SectionStart();
    DxfTag tag;
    while (m_stream.Peek(tag)) {
        if (tag.code == 0 && (IsName(tag.value, "ENDBLK") || (IsName(tag.value, "ENDSEC") && !EndsSection()))) {
            if (!SkipStray(tag))
                return m_stream.Failed() ? false : Fail(tag, "expected 0 BLOCK in the BLOCKS section, found " +
                                                                 std::string(tag.value.substr(0, 40)));
            continue;
        }
        Next(tag);
        if (tag.code == 0 && IsName(tag.value, "ENDSEC")) {
            Anchor(DxfItemKind::NewBlocks, tag.begin, kNullId);
            return true;
        }
        if (tag.code != 0 || !IsName(tag.value, "BLOCK"))
            return Fail(tag, "expected 0 BLOCK in the BLOCKS section, found " + std::string(tag.value.substr(0, 40)));
        if (!ReadBlock(tag))
            return false;
    }
    return EndOfSection(start);
}

bool DxfReader::ReadBlock(const DxfTag& start) {
    EntityTags& head = m_headTags;
    ReadBody(head);
    // A block whose own tags cannot be read cannot be made sense of: its entities have no block to go to.
    if (m_stream.Failed())
        return false;
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
    for (;;) {
        if (!m_stream.Peek(tag)) {
            if (LeaveOutHere("an object"))
                continue;
            break;
        }
        if (tag.code != 0)
            return Fail(tag, "expected an entity in block \"" + name + "\"");
        if (IsName(tag.value, "ENDBLK")) {
            // The entities of model space and of the active paper space are written in ENTITIES.
            if (blockId != m_database->ModelSpaceId() && blockId != m_database->PaperSpaceId())
                Anchor(DxfItemKind::NewEntities, tag.begin, blockId);
            Next(tag);
            EntityTags& end = m_followerTags;
            ReadBody(end);
            block->endHandle = end.handle;
            return !m_stream.Failed();
        }
        if (IsName(tag.value, "ENDSEC") || IsName(tag.value, "BLOCK") || IsName(tag.value, "EOF"))
            return Fail(start, "block \"" + name + "\" does not end with 0 ENDBLK");
        if (!ReadEntity(blockId, blockId))
            return false;
    }
    return m_stream.Failed() ? false : Fail(start, "block \"" + name + "\" does not end with 0 ENDBLK");
}

namespace {
DxfReadOptions Counted(DxfReadOptions options) {
    if (options.threads == 0) {
        unsigned cores = std::thread::hardware_concurrency();
        options.threads = cores == 0 ? 1 : std::min(cores, 8u);
    }
    return options;
}
} // namespace

DxfResult ReadDxfText(std::string_view content, const CodePage& active, std::unique_ptr<Database>& out,
                      const DxfReadOptions& options) {
    auto layout = std::make_shared<DxfLayout>();
    if (!layout->source.Copy(content)) {
        DxfResult result;
        result.status = DxfStatus::CannotOpen;
        result.detail = "not enough memory for a drawing of " + std::to_string(content.size()) + " bytes";
        return result;
    }
    DxfReader reader(std::move(layout), active, Counted(options));
    return reader.Read(out);
}

DxfResult ReadDxfFile(const std::string& path, const CodePage& active, std::unique_ptr<Database>& out,
                      const DxfReadOptions& options) {
    auto layout = std::make_shared<DxfLayout>();
    if (DxfResult opened = layout->source.Open(path); !opened.Ok())
        return opened;
    DxfReader reader(std::move(layout), active, Counted(options));
    return reader.Read(out);
}

} // namespace cad
