#pragma once

#include "platform/cad/Database.h"
#include "platform/cad/InternedText.h"
#include "platform/cad/dxf/FileText.h"
#include "platform/cad/dxf/DxfTags.h"

#include <cstdint>
#include <functional>
#include <numbers>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cad {

// Group 0 names are compared all the time; a byte loop of known length beats a call to memcmp.
template <std::size_t N> bool IsName(std::string_view value, const char (&name)[N]) {
    if (value.size() != N - 1)
        return false;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (value[i] != name[i])
            return false;
    }
    return true;
}

// What follows an entity as part of it: its attributes or vertices, and the SEQEND that ends them.
inline bool IsFollower(std::string_view type) {
    return type == "ATTRIB" || type == "VERTEX" || type == "SEQEND";
}

inline double Radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

// The tags of one entity or record, read ahead so fields can be looked up by group code.
struct EntityTags {
    static constexpr int kCodes = 1072; // the stream refuses higher group codes
    std::vector<DxfTag> tags; // the first `count` are this entity's
    std::size_t count = 0;
    std::size_t modelled = 0; // tags after an embedded object (group 101) are not modelled
    std::uint64_t handle = 0; // of the first group 5, read once
    // Where the first tag of each group code is, so that a field is found without a search; an entry holds
    // for the current entity only while its stamp equals `generation`.
    std::uint32_t generation = 0;
    std::vector<std::uint32_t> stamps = std::vector<std::uint32_t>(kCodes, 0);
    std::vector<std::uint32_t> firsts = std::vector<std::uint32_t>(kCodes, 0);

    void Clear();
    // Where the next tag is read to. The tags stay allocated from one entity to the next; only their count starts
    // again.
    DxfTag& Slot() {
        if (count == tags.size())
            tags.resize(tags.size() * 2 + 32);
        return tags[count];
    }
    // Keeps the tag read into Slot(), found by its group code when `indexed`.
    void Keep(bool indexed);
    const DxfTag* Find(int code) const {
        if (code < 0 || code >= kCodes || stamps[static_cast<std::size_t>(code)] != generation)
            return nullptr;
        return &tags[firsts[static_cast<std::size_t>(code)]];
    }
    // Numbers come checked and read from the tag stream.
    double Real(int code, double fallback = 0.0) const;
    // Integers the entity's own fields can hold; a group with a value beyond them reads as the fallback.
    int Int(int code, int fallback = 0) const;
    std::string_view Text(int code) const {
        const DxfTag* tag = Find(code);
        return tag ? tag->value : std::string_view();
    }
    Point3d Point(int code) const { return Point3d{Real(code), Real(code + 10), Real(code + 20)}; }
};

// The highest handle of the tags counted, which new objects must stay above.
struct HandleCount {
    std::uint64_t highest = 0;
    bool seen = false;
    // The handle of a group 5 or 105, 0 for any other tag.
    std::uint64_t Count(const DxfTag& tag);
};

// Reads the tags up to the next group 0 into `into`, counting their handles.
void ReadBody(DxfTagStream& stream, EntityTags& into, HandleCount& handles);

// One entity read from the file and made, but not yet in the database, which takes it in file order.
// Sixteen bytes: a big drawing's entities are read on several threads and wait here for their turn. Where it
// begins and its flags share one word, written whole (see DxfItem).
struct EntityRecord {
    enum Flags : std::uint8_t {
        kPaperSpace = 1, // in the paper space of a drawing (group 67)
        kAttribute = 2,  // an attribute of the last entity before it that is not one
        kUnresolved = 4, // a reference to a block not defined (yet): its name is in the reader's list
    };
    EntityRecord(Entity* made, std::size_t begin, unsigned flags)
        : entity(made), m_beginAndFlags(static_cast<std::uint64_t>(begin) << 8 | (flags & 0xFFu)) {}
    Entity* entity; // made in the reader's arena
    // Where its group 0 is; it ends where the next entity begins.
    std::size_t Begin() const { return static_cast<std::size_t>(m_beginAndFlags >> 8); }
    bool Has(Flags flag) const { return (m_beginAndFlags & flag) != 0; }

private:
    std::uint64_t m_beginAndFlags;
};

using EntityRecords = std::vector<EntityRecord, LargeAllocator<EntityRecord>>;

// Turns the tags of entities into objects. One reader per thread: a reader keeps its own lookups and makes its
// objects in its own arena, and looks names up through functions that are safe to call from its thread.
class EntityReader {
public:
    using Lookup = std::function<ObjectId(const std::string& name)>;
    EntityReader(Arena& arena, const CodePage* fileCodePage, const CodePage& active, Lookup findBlock,
                 Lookup findStyle);

    // Reads the entity whose group 0 comes next, with the attributes or vertices that follow it and their
    // SEQEND, onto `out`. False when the stream fails; then nothing of the entity is added.
    bool Read(DxfTagStream& stream, EntityRecords& out);
    std::string Decode(std::string_view raw) { return DecodeFileText(raw, m_fileCodePage, m_active, m_lost); }

    const HandleCount& Handles() const { return m_handles; }
    // Some text held characters the active code page cannot show.
    bool Lost() const { return m_lost; }
    // The names of the references marked kUnresolved, in their order.
    std::vector<std::string>& UnresolvedNames() { return m_unresolved; }

private:
    template <typename T> T* Make();
    void ReadCommon(const EntityTags& tags, Entity& entity);
    void ReadText(const EntityTags& tags, TextEntity& text, int verticalCode);
    bool ReadFollowers(DxfTagStream& stream, Entity* owner, EntityRecords& out);
    ObjectId FindBlock(std::string_view raw);

    Arena& m_arena;
    const CodePage* m_fileCodePage;
    const CodePage& m_active;
    Lookup m_findBlock;
    Lookup m_findStyle;
    EntityTags m_tags;
    EntityTags m_followerTags;
    std::unordered_map<std::string_view, ObjectId> m_blockByRawName; // views into the file's bytes
    std::unordered_map<std::string_view, ObjectId> m_styleByRawName;
    std::string_view m_lastLayerRaw;
    InternedText m_lastLayer;
    std::string_view m_lastLinetypeRaw;
    InternedText m_lastLinetype;
    std::string_view m_attributeLayerRaw; // attributes keep an empty layer as it is
    InternedText m_attributeLayer;
    bool m_attributeLayerRead = false;
    std::vector<std::string> m_unresolved;
    HandleCount m_handles;
    bool m_lost = false;
};

} // namespace cad
