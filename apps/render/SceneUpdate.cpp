// The display list kept up to date as commands change the drawing: a big drawing is built once when it is read,
// and a command that adds a table or erases a few entities costs what it changed, not the whole drawing again.
#include "render/Scene.h"

#include <string_view>

namespace render {

namespace {
std::uint64_t Mix(std::uint64_t hash, std::uint64_t value) {
    // FNV-1a over the value's bytes.
    for (int i = 0; i < 8; ++i) {
        hash ^= (value >> (8 * i)) & 0xFF;
        hash *= 1099511628211ULL;
    }
    return hash;
}
} // namespace

std::uint64_t Scene::IdsHash(std::uint64_t hash, const cad::ObjectId* first, const cad::ObjectId* last) {
    for (const cad::ObjectId* id = first; id != last; ++id)
        hash = Mix(hash, *id);
    return hash;
}

std::uint64_t Scene::LayerSignature(const cad::Database& db) {
    std::uint64_t hash = kHashSeed;
    const auto* layers = db.PeekAs<cad::SymbolTable>(db.LayerTableId());
    for (cad::ObjectId id : layers ? layers->records : std::vector<cad::ObjectId>{}) {
        const auto* layer = db.PeekAs<cad::LayerTableRecord>(id);
        if (!layer)
            continue;
        hash = Mix(hash, id);
        hash = Mix(hash, static_cast<std::uint64_t>(static_cast<std::int64_t>(layer->color)));
        hash = Mix(hash, static_cast<std::uint64_t>(layer->flags) << 1 | (layer->IsErased() ? 1 : 0));
        hash = Mix(hash, std::hash<std::string_view>{}(layer->lineType));
        hash = Mix(hash, std::hash<std::string_view>{}(layer->name));
    }
    return hash;
}

void Scene::RememberBlockSizes(const cad::Database& db) {
    m_blockSizes.clear();
    if (const auto* blocks = db.PeekAs<cad::SymbolTable>(db.BlockTableId()))
        for (cad::ObjectId id : blocks->records)
            if (const auto* record = db.PeekAs<cad::BlockTableRecord>(id))
                m_blockSizes.emplace_back(id, record->entities.size());
}

bool Scene::Refresh(const cad::Database& db, bool forPlot, cad::ObjectId space) {
    auto rebuild = [&] {
        Build(db, forPlot, space);
        return false;
    };
    cad::ObjectId wanted = space == cad::kNullId ? db.ModelSpaceId() : space;
    // A layout's viewports show model space: any change may show in any of them.
    if (&db != m_builtFrom || wanted != m_builtSpace || forPlot != m_builtForPlot || m_paper)
        return rebuild();
    const auto* block = db.PeekAs<cad::BlockTableRecord>(wanted);
    if (!block || LayerSignature(db) != m_layerSignature)
        return rebuild();
    // Objects changed in place since the build: only those made since then may have been.
    std::vector<cad::ObjectId> touched;
    if (!cad::TouchedSince(m_builtTouches, touched))
        return rebuild();
    for (cad::ObjectId id : touched)
        if (db.Peek(id) && id <= m_builtLastId)
            return rebuild();
    // A block with more or fewer entities draws its references otherwise.
    for (const auto& [id, size] : m_blockSizes) {
        const auto* record = db.PeekAs<cad::BlockTableRecord>(id);
        if (!record || (id != wanted && record->entities.size() != size))
            return rebuild();
    }
    const std::vector<cad::ObjectId>& ids = block->entities;
    // The entities built from, still there in the same order, with any more after them.
    std::size_t known = m_spaceErased.size();
    if (ids.size() < known || IdsHash(kHashSeed, ids.data(), ids.data() + known) != m_spaceHash)
        return rebuild();
    std::vector<std::size_t> erased;
    for (std::size_t k = 0; k < known; ++k) {
        const cad::Object* object = db.Peek(ids[k]);
        bool gone = !object || object->IsErased();
        if (gone == m_spaceErased[k])
            continue;
        // Brought back: its place in the drawing order is among the others, not after them.
        if (!gone)
            return rebuild();
        erased.push_back(k);
    }
    // Nothing changed (a command that only looked): the list, its grid and its picture stay.
    if (erased.empty() && ids.size() == known)
        return true;
    for (std::size_t k : erased) {
        m_spaceErased[k] = true;
        if (m_groupOfEntity[k] < 0)
            continue;
        // An empty group meets nothing: it is neither drawn nor picked.
        Group& group = m_groups[static_cast<std::size_t>(m_groupOfEntity[k])];
        group.box = Box{};
        group.segments = group.curves = group.labels = group.fills = 0;
        m_groupOfEntity[k] = -1;
    }
    if (ids.size() > known) {
        // A new reference may show a block of entities kept as the file's bytes.
        IndexFileBytes(db);
        AddEntities(db, ids.data() + known, ids.data() + ids.size());
        std::vector<std::pair<cad::ObjectId, std::size_t>>().swap(m_itemOf);
    }
    Index();
    m_overview = Overview{};
    m_builtTouches = cad::TouchCount();
    m_builtLastId = db.LastId();
    RememberBlockSizes(db);
    return true;
}

} // namespace render
