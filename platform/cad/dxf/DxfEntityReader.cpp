#include "platform/cad/dxf/DxfEntityReader.h"

#include "platform/cad/dxf/DxfRecovery.h"

#include <algorithm>
#include <numbers>

namespace cad {

namespace {
// A polyline's or a vertex's bulge or width (a heavy polyline's head gives its vertices' default widths in 40/41).
bool IsShaping(const DxfTag& tag) {
    return (tag.code == 40 || tag.code == 41 || tag.code == 42 || tag.code == 43) && tag.number != 0.0;
}
} // namespace


void EntityTags::Clear() {
    count = 0;
    if (++generation == 0) {
        std::fill(stamps.begin(), stamps.end(), 0);
        generation = 1;
    }
}

void EntityTags::Keep(bool indexed) {
    const DxfTag& tag = tags[count];
    if (indexed && tag.code >= 0 && tag.code < kCodes && stamps[static_cast<std::size_t>(tag.code)] != generation) {
        stamps[static_cast<std::size_t>(tag.code)] = generation;
        firsts[static_cast<std::size_t>(tag.code)] = static_cast<std::uint32_t>(count);
    }
    ++count;
}

double EntityTags::Real(int code, double fallback) const {
    const DxfTag* tag = Find(code);
    return tag && ValueKindOf(code) == DxfValueKind::Real ? tag->number : fallback;
}

int EntityTags::Int(int code, int fallback) const {
    const DxfTag* tag = Find(code);
    DxfValueKind kind = ValueKindOf(code);
    if (!tag || kind == DxfValueKind::Real || kind == DxfValueKind::Text || kind == DxfValueKind::Handle)
        return fallback;
    return tag->number >= -2147483648.0 && tag->number <= 2147483647.0 ? static_cast<int>(tag->number) : fallback;
}

EntityReader::EntityReader(Arena& arena, const CodePage* fileCodePage, const CodePage& active, Lookup findBlock,
                           Lookup findStyle)
    : m_arena(arena), m_fileCodePage(fileCodePage), m_active(active), m_findBlock(std::move(findBlock)),
      m_findStyle(std::move(findStyle)) {}

template <typename T> T* EntityReader::Make() {
    return Database::MakeIn<T>(m_arena).release();
}

std::uint64_t HandleCount::Count(const DxfTag& tag) {
    if (tag.code != 5 && tag.code != 105)
        return 0;
    std::uint64_t handle = ParseHandle(tag.value);
    highest = std::max(highest, handle);
    seen = true;
    return handle;
}

void ReadBody(DxfTagStream& stream, EntityTags& into, HandleCount& handles) {
    into.Clear();
    into.handle = 0;
    into.modelled = std::string_view::npos;
    // Each tag is read straight into its place: a big drawing has tens of millions of them.
    for (;;) {
        DxfTag& tag = into.Slot();
        if (!stream.NextInBody(tag))
            break;
        std::uint64_t handle = handles.Count(tag);
        if (tag.code == 101 && into.modelled == std::string_view::npos)
            into.modelled = into.count;
        bool modelled = into.modelled == std::string_view::npos;
        if (modelled && tag.code == 5 && !into.Find(5))
            into.handle = handle;
        into.Keep(modelled);
    }
    if (into.modelled == std::string_view::npos)
        into.modelled = into.count;
}

void EntityReader::ReadCommon(const EntityTags& tags, Entity& entity) {
    // Entities come in runs on one layer: decode its name once per run.
    std::string_view layer = tags.Text(8);
    if (layer != m_lastLayerRaw || m_lastLayer.empty()) {
        m_lastLayerRaw = layer;
        std::string decoded = Decode(layer);
        m_lastLayer = decoded.empty() ? LayerZero() : InternedText(decoded);
    }
    entity.layer = m_lastLayer;
    entity.color = static_cast<int>(tags.Int(62, 256));
    if (const DxfTag* trueColor = tags.Find(420))
        entity.trueColor = static_cast<std::int32_t>(static_cast<std::int64_t>(trueColor->number) & 0xFFFFFF);
    if (std::string_view linetype = tags.Text(6); !linetype.empty()) {
        if (linetype != m_lastLinetypeRaw) {
            m_lastLinetypeRaw = linetype;
            m_lastLinetype = InternedText(Decode(linetype));
        }
        entity.linetype = m_lastLinetype;
    }
    entity.lineweight = static_cast<std::int16_t>(std::clamp(tags.Int(370, -1), -3, 211));
    entity.invisible = tags.Int(60) == 1;
    double scale = tags.Real(48, 1.0);
    entity.linetypeScale = scale > 0.0 && scale < 1e30 ? static_cast<float>(scale) : 1.0f;
    entity.SetHandle(tags.handle);
    entity.SetFromFile(true);
}

void EntityReader::ReadText(const EntityTags& tags, TextEntity& text, int verticalCode) {
    text.position = tags.Point(10);
    text.alignmentPoint = tags.Find(11) ? tags.Point(11) : text.position;
    text.text = Decode(tags.Text(1));
    text.height = tags.Real(40, 0.2);
    text.widthFactor = tags.Real(41, 1.0);
    text.rotation = Radians(tags.Real(50));
    text.oblique = Radians(std::clamp(tags.Real(51), -85.0, 85.0));
    text.generation = tags.Int(71) & 6;
    text.horizontalMode = static_cast<HorizontalMode>(tags.Int(72) >= 0 && tags.Int(72) <= 5 ? tags.Int(72) : 0);
    text.verticalMode = static_cast<VerticalMode>(tags.Int(verticalCode) >= 0 && tags.Int(verticalCode) <= 3
                                                      ? tags.Int(verticalCode)
                                                      : 0);
    std::string_view style = tags.Text(7);
    auto found = m_styleByRawName.find(style);
    if (found == m_styleByRawName.end()) {
        std::string name = Decode(style);
        found = m_styleByRawName.emplace(style, m_findStyle(name.empty() ? "Standard" : name)).first;
    }
    text.styleId = found->second;
}

// References far outnumber blocks: the name as the file writes it is decoded and looked up once.
ObjectId EntityReader::FindBlock(std::string_view raw) {
    if (raw.empty())
        return kNullId;
    auto found = m_blockByRawName.find(raw);
    if (found != m_blockByRawName.end())
        return found->second;
    ObjectId id = m_findBlock(Decode(raw));
    // A miss is not kept: the block may still come.
    if (id != kNullId)
        m_blockByRawName.emplace(raw, id);
    return id;
}

bool EntityReader::Read(DxfTagStream& stream, EntityRecords& out) {
    DxfTag head;
    stream.Next(head);
    // A number where a name belongs is a value read as a code: a line was lost or added before it.
    if (!PlausibleTypeName(head.value)) {
        stream.Fail(DxfStatus::BadName, head.line,
                    "expected the name of an entity after group 0, found \"" + std::string(head.value.substr(0, 40)) + "\"");
        return false;
    }
    EntityTags& tags = m_tags;
    ReadBody(stream, tags, m_handles);
    if (stream.Failed())
        return false;
    unsigned flags = tags.Int(67) == 1 ? EntityRecord::kPaperSpace : 0;
    std::string_view type = head.value;
    Entity* entity = nullptr;
    BlockReference* reference = nullptr;
    bool hasFollowers = false; // ATTRIB or VERTEX entities up to a SEQEND
    if (IsName(type, "LINE")) {
        auto* line = Make<Line>();
        line->start = tags.Point(10);
        line->end = tags.Point(11);
        entity = line;
    } else if (IsName(type, "CIRCLE")) {
        auto* circle = Make<Circle>();
        circle->center = tags.Point(10);
        circle->radius = tags.Real(40);
        entity = circle;
    } else if (IsName(type, "ARC")) {
        auto* arc = Make<Arc>();
        arc->center = tags.Point(10);
        arc->radius = tags.Real(40);
        arc->startAngle = Radians(tags.Real(50));
        arc->endAngle = Radians(tags.Real(51));
        entity = arc;
    } else if (IsName(type, "TEXT")) {
        auto* text = Make<Text>();
        ReadText(tags, *text, 73);
        entity = text;
    } else if (IsName(type, "ATTDEF")) {
        auto* definition = Make<AttributeDefinition>();
        ReadText(tags, *definition, 74);
        definition->tag = Decode(tags.Text(2));
        definition->prompt = Decode(tags.Text(3));
        definition->flags = static_cast<int>(tags.Int(70));
        entity = definition;
    } else if (IsName(type, "INSERT")) {
        reference = Make<BlockReference>();
        reference->position = tags.Point(10);
        reference->scale = Point3d{tags.Real(41, 1.0), tags.Real(42, 1.0), tags.Real(43, 1.0)};
        reference->rotation = Radians(tags.Real(50));
        reference->columnCount = static_cast<int>(tags.Int(70, 1));
        reference->rowCount = static_cast<int>(tags.Int(71, 1));
        reference->columnSpacing = tags.Real(44);
        reference->rowSpacing = tags.Real(45);
        DxfTag next;
        hasFollowers = tags.Int(66) == 1 || (stream.Peek(next) && next.code == 0 && next.value == "ATTRIB");
        for (std::size_t i = 0; i + 1 < tags.modelled; ++i) {
            if (tags.tags[i].code == 102 && tags.tags[i].value == "{ACAD_XDICTIONARY" && tags.tags[i + 1].code == 360) {
                reference->extensionDictionary = ParseHandle(tags.tags[i + 1].value);
                break;
            }
        }
        entity = reference;
    } else if (IsName(type, "LWPOLYLINE")) {
        auto* polyline = Make<Polyline>();
        // Exactly as many vertices as there are: a big drawing has hundreds of thousands of polylines.
        std::size_t vertices = 0;
        for (std::size_t i = 0; i < tags.modelled; ++i)
            vertices += tags.tags[i].code == 10 ? 1 : 0;
        polyline->vertices.reserve(vertices);
        for (std::size_t i = 0; i < tags.modelled; ++i) {
            if (tags.tags[i].code == 10)
                polyline->vertices.push_back(Point3d{tags.tags[i].number, 0.0, 0.0});
            else if (tags.tags[i].code == 20 && !polyline->vertices.empty())
                polyline->vertices.back().y = tags.tags[i].number;
            else if (IsShaping(tags.tags[i]))
                polyline->shaped = true;
        }
        polyline->closed = (tags.Int(70) & 1) != 0;
        entity = polyline;
    } else if (IsName(type, "POLYLINE")) {
        auto* polyline = Make<Polyline>();
        polyline->heavy = true;
        for (std::size_t i = 0; i < tags.modelled; ++i)
            polyline->shaped = polyline->shaped || IsShaping(tags.tags[i]);
        // A mesh or a polyface: its vertices are not a path, its faces and grid are drawn from the file.
        polyline->shaped = polyline->shaped || (tags.Int(70) & (16 | 64)) != 0;
        polyline->closed = (tags.Int(70) & 1) != 0;
        hasFollowers = true;
        entity = polyline;
    } else {
        auto* opaque = Make<OpaqueEntity>();
        opaque->typeName = type;
        entity = opaque;
    }
    ReadCommon(tags, *entity);
    std::size_t namesKept = m_unresolved.size();
    if (reference) {
        reference->blockId = FindBlock(tags.Text(2));
        // An R12 block may use one defined after it: that name is looked up again at the end.
        if (reference->blockId == kNullId) {
            flags |= EntityRecord::kUnresolved;
            m_unresolved.push_back(Decode(tags.Text(2)));
        }
    }
    std::size_t kept = out.size();
    out.emplace_back(entity, head.begin, flags);
    if (!hasFollowers || ReadFollowers(stream, entity, out))
        return true;
    // Nothing of an entity that could not be read whole stays: its objects go, with what they hold, and so does the
    // name it would have been looked up by (the next reference's would be taken for it).
    for (std::size_t i = kept; i < out.size(); ++i)
        ObjectDeleter()(out[i].entity);
    out.erase(out.begin() + static_cast<std::ptrdiff_t>(kept), out.end());
    m_unresolved.resize(namesKept);
    return false;
}

// The ATTRIBs of an INSERT or the VERTEXes of a POLYLINE, and the SEQEND that closes them.
bool EntityReader::ReadFollowers(DxfTagStream& stream, Entity* owner, EntityRecords& out) {
    auto* reference = owner->Kind() == ObjectKind::BlockReference ? static_cast<BlockReference*>(owner) : nullptr;
    auto* polyline = owner->Kind() == ObjectKind::Polyline ? static_cast<Polyline*>(owner) : nullptr;
    DxfTag tag;
    EntityTags& follower = m_followerTags;
    while (stream.Peek(tag) && tag.code == 0) {
        if (IsName(tag.value, "SEQEND")) {
            stream.Next(tag);
            ReadBody(stream, follower, m_handles);
            if (reference)
                reference->sequenceEndHandle = follower.handle;
            return !stream.Failed();
        }
        if (!IsName(tag.value, "ATTRIB") && !IsName(tag.value, "VERTEX"))
            break; // a missing SEQEND is forgiven, as other readers do
        stream.Next(tag);
        ReadBody(stream, follower, m_handles);
        if (IsName(tag.value, "VERTEX") && polyline) {
            polyline->vertices.push_back(follower.Point(10));
            for (std::size_t i = 0; i < follower.modelled; ++i)
                polyline->shaped = polyline->shaped || IsShaping(follower.tags[i]);
        } else if (IsName(tag.value, "ATTRIB") && reference) {
            auto* attribute = Make<Attribute>();
            ReadText(follower, *attribute, 74);
            attribute->tag = Decode(follower.Text(2));
            attribute->flags = static_cast<int>(follower.Int(70));
            std::string_view layer = follower.Text(8);
            if (!m_attributeLayerRead || layer != m_attributeLayerRaw) {
                m_attributeLayerRaw = layer;
                m_attributeLayer = Decode(layer);
                m_attributeLayerRead = true;
            }
            attribute->layer = m_attributeLayer;
            attribute->color = static_cast<int>(follower.Int(62, 256));
            attribute->SetHandle(follower.handle);
            attribute->SetFromFile(true);
            out.emplace_back(attribute, tag.begin, EntityRecord::kAttribute);
        }
    }
    return !stream.Failed();
}

} // namespace cad
