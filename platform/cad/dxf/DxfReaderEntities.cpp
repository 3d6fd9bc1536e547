#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfEntityChunks.h"
#include "platform/cad/dxf/DxfFileReader.h"
#include "platform/cad/dxf/DxfRecovery.h"

#include <algorithm>

namespace cad {

bool DxfReader::ReadEntities() {
    SettleEncoding();
    DxfTag start = SectionStart();
    // Whether chunks pay is told by the section's own size: what follows it (objects, extended data) is not
    // read here, and no chunk may start there.
    if (m_options.threads > 1 && m_layout->format == DxfFormat::Ascii && start.code == 0 &&
        !IsName(start.value, "ENDSEC") && m_layout->content.size() - start.begin >= m_options.chunkedFrom) {
        std::size_t end = EntitySectionEnd(m_layout->content, start.begin);
        if (end != std::string_view::npos && end - start.begin >= m_options.chunkedFrom &&
            !ReadEntitiesInChunks(start, end))
            return false;
    }
    DxfTag tag;
    for (;;) {
        if (!m_stream.Peek(tag)) {
            if (LeaveOutHere("an object"))
                continue;
            break;
        }
        if (tag.code == 0 && IsName(tag.value, "ENDSEC") && EndsSection()) {
            Anchor(DxfItemKind::NewEntities, tag.begin, m_database->ModelSpaceId());
            Anchor(DxfItemKind::NewEntities, tag.begin, m_database->PaperSpaceId());
            Next(tag);
            return true;
        }
        // Read strictly, an ENDBLK here is an entity of a kind not known, as it always was.
        if (tag.code == 0 && (IsName(tag.value, "ENDSEC") || IsName(tag.value, "ENDBLK")) && !m_options.strict) {
            if (!SkipStray(tag))
                return false;
            continue;
        }
        if (tag.code != 0 || IsName(tag.value, "SECTION") || IsName(tag.value, "EOF"))
            break;
        if (!ReadEntity(m_database->ModelSpaceId(), m_database->PaperSpaceId()))
            return false;
    }
    return EndOfSection(start);
}

std::unordered_map<std::string, ObjectId> DxfReader::NamesOf(ObjectId tableId) const {
    std::unordered_map<std::string, ObjectId> names;
    for (ObjectId id : m_database->PeekAs<SymbolTable>(tableId)->records) {
        const auto* record = m_database->PeekAs<SymbolTableRecord>(id);
        if (record && !record->IsErased())
            names.emplace(FoldName(record->name), id); // the first of a name, as FindRecord gives
    }
    return names;
}

bool DxfReader::ReadEntitiesInChunks(const DxfTag& first, std::size_t sectionEnd) {
    std::string_view content = m_layout->content;
    // A few chunks per thread, so that a thread slowed by something else holds up little.
    std::size_t most = std::min<std::size_t>((sectionEnd - first.begin) / std::max<std::size_t>(m_options.chunkedFrom / 2, 1),
                                             4 * std::size_t{m_options.threads});
    std::vector<std::size_t> starts = EntityChunkStarts(content, first.begin, sectionEnd, static_cast<unsigned>(most));
    if (starts.size() < 2)
        return true;
    std::vector<EntityChunk> chunks(starts.size());
    for (std::size_t k = 0; k < starts.size(); ++k) {
        chunks[k].begin = starts[k];
        chunks[k].limit = k + 1 < starts.size() ? starts[k + 1] : sectionEnd;
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
        m_layout->source, chunks, m_options.threads, m_fileCodePage, m_active,
        [&](const std::string& name) { return find(blocks, name); },
        [&](const std::string& name) { return find(styles, name); }, take);
    return !failed;
}

bool DxfReader::ReadEntity(ObjectId owner, ObjectId paperOwner) {
    m_layout->source.ReleaseBefore(m_released, m_stream.Offset());
    m_records.clear();
    DxfTag head;
    m_stream.Peek(head);
    if (!m_entities->Read(m_stream, m_records))
        return LeaveOut(head.begin, head.line, LeftOutName(head.value));
    return Adopt(m_records, m_entities->UnresolvedNames(), owner, paperOwner, m_stream.Offset());
}

bool DxfReader::Adopt(EntityRecords& records, std::vector<std::string>& names, ObjectId owner, ObjectId paperOwner,
           std::size_t end) {
    std::size_t unresolved = 0;
    ObjectId last = kNullId;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const EntityRecord& record = records[i];
        if (record.Has(EntityRecord::kAttribute)) {
            ObjectId attributeId = kNullId;
            [[maybe_unused]] ErrorStatus status = m_database->AppendAttribute(
                last, ObjectPtr<Attribute>(static_cast<Attribute*>(record.entity)), &attributeId);
            continue;
        }
        ObjectId block = record.Has(EntityRecord::kPaperSpace) ? paperOwner : owner;
        if (m_database->AppendEntity(block, ObjectPtr<Entity>(record.entity), &last) != ErrorStatus::Ok) {
            for (std::size_t rest = i + 1; rest < records.size(); ++rest)
                ObjectDeleter()(records[rest].entity);
            records.clear();
            m_stream.Fail(DxfStatus::BadStructure, m_stream.Line(), "an entity outside any block");
            return false;
        }
        if (record.Has(EntityRecord::kUnresolved))
            m_pendingReferences.emplace_back(last, std::move(names[unresolved++]));
        std::size_t next = i + 1;
        while (next < records.size() && records[next].Has(EntityRecord::kAttribute))
            ++next;
        Mark(DxfItemKind::Object, record.Begin(), next < records.size() ? records[next].Begin() : end, last);
    }
    records.clear();
    names.clear();
    return true;
}

void DxfReader::ResolveReferences() {
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

} // namespace cad
