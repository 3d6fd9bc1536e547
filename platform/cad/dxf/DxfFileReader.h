#pragma once

#include "platform/cad/Database.h"
#include "platform/cad/dxf/FileText.h"
#include "platform/cad/dxf/DxfEntityReader.h"
#include "platform/cad/dxf/DxfLayout.h"
#include "platform/cad/dxf/DxfReader.h"
#include "platform/cad/dxf/DxfTags.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace cad {

// Reads one drawing file into a new database, section by section, keeping how the file's bytes map onto its
// objects so that saving loses nothing. Its sections are read in DxfReader.cpp, its entities in
// DxfReaderEntities.cpp.
class DxfReader {
public:
    DxfReader(std::shared_ptr<DxfLayout> layout, const CodePage& active, const DxfReadOptions& options);
    DxfResult Read(std::unique_ptr<Database>& out);

private:
    // Items
    void Mark(DxfItemKind kind, std::size_t begin, std::size_t end, ObjectId object);
    void Anchor(DxfItemKind kind, std::size_t at, ObjectId object) { Mark(kind, at, at, object); }

    // Damage: a stretch from the group 0 at `begin` (on `line`) that could not be read is left as it stood and
    // said; reading goes on at the next thing that begins. False when the fault stands (see DxfReadOptions).
    bool LeaveOut(std::size_t begin, int line, std::string what);
    // The same for a fault met between two things, before a group 0 was read.
    bool LeaveOutHere(std::string what) { return LeaveOut(m_stream.Offset(), m_stream.OffsetLine() + 1, std::move(what)); }
    // A marker out of place (an ENDBLK between blocks, an ENDSEC inside a section) peeked at: skipped with its
    // body and counted, unless the drawing is read strictly. False when it stands.
    bool SkipStray(const DxfTag& marker);
    // Whether the ENDSEC peeked at ends its section: what follows it is a section or the file's end.
    bool EndsSection();

    // Tags
    bool Next(DxfTag& tag);
    bool Fail(const DxfTag& at, std::string detail);
    std::string Decode(std::string_view raw);
    void ReadBody(EntityTags& into) { cad::ReadBody(m_stream, into, m_handles); }

    // Sections
    bool ReadSections();
    bool EndOfSection(const DxfTag& start);
    // The first tag of a section, peeked at; where it is, with group code -1, when it cannot be read.
    DxfTag SectionStart();
    bool SkipSection(const DxfTag& start);

    // The objects are written back as read; only what lookups follow is kept: the dictionaries' entries and
    // each other object's first pointer.
    bool ReadObjects(const DxfTag& start);

    // The extended data after the modelled tags, as the editor keeps it for a block record.
    std::vector<XDataItem> XData(const EntityTags& tags);
    void HeaderValue(std::string_view variable, const DxfTag& tag);
    bool ReadHeader();
    void ReadStrayHeader(const DxfTag& first);
    void SettleEncoding();

    // Tables
    bool ReadTables();
    bool ReadTable(const DxfTag& start);
    void ReadRecord(ObjectId tableId, const EntityTags& entry, std::size_t begin);

    // Blocks
    bool ReadBlocks();
    bool ReadBlock(const DxfTag& start);
    bool ReadEntities();

    // Entities

    // Names as FindRecord finds them, in a map that threads can share while the database stays as it is.
    std::unordered_map<std::string, ObjectId> NamesOf(ObjectId tableId) const;

    // The section's entities in chunks on several threads, taken in file order; the stream goes on after the
    // last one taken, where the single reader reads what is left (the ENDSEC, or a chunk that has to be read again).
    bool ReadEntitiesInChunks(const DxfTag& first, std::size_t sectionEnd);
    bool ReadEntity(ObjectId owner, ObjectId paperOwner);

    // Entities read and made, into the database in their order, which then owns them; `names` are those of
    // their references to blocks not defined yet, in order. The last entity ends at `end`.
    bool Adopt(EntityRecords& records, std::vector<std::string>& names, ObjectId owner, ObjectId paperOwner,
               std::size_t end);
    void ResolveReferences();
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
    DxfReadOptions m_options; // with the threads counted
    std::vector<std::string> m_warnings;
    std::vector<DxfLeftOut> m_leftOut;
    std::vector<DxfResult::Skipped> m_skipped;
    std::set<std::string> m_undefined;
    bool m_lost = false;
    bool m_headerRead = false;
    bool m_encodingSettled = false;
    bool m_handling = false;
    bool m_inHeader = false;
    bool m_sawHandseed = false;
    bool m_afterStrayHeader = false; // $HANDSEED is a handle to come, not one in use
};

} // namespace cad
