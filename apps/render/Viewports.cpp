// Layouts and their viewports: paper space drawn with model space seen through each viewport.
#include "render/EntityTags.h"
#include "render/OpaqueEntities.h"
#include "render/Scene.h"

#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace render {

std::vector<LayoutEntry> Layouts(const cad::Database& db) {
    std::vector<std::pair<int, LayoutEntry>> ordered;
    for (const auto& [handle, object] : db.FileObjectsOf("LAYOUT")) {
        cad::ObjectId block = db.FindBlockRecordByHandle(object->pointer);
        if (block == cad::kNullId || object->name.empty())
            continue;
        ordered.push_back({block == db.ModelSpaceId() ? -1 : object->order, LayoutEntry{object->name, block}});
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<LayoutEntry> layouts;
    bool model = std::any_of(ordered.begin(), ordered.end(), [&](const auto& o) { return o.second.block == db.ModelSpaceId(); });
    if (!model)
        layouts.push_back(LayoutEntry{"Model", db.ModelSpaceId()});
    for (auto& [order, entry] : ordered)
        layouts.push_back(std::move(entry));
    // A drawing without layout objects (an old release) still has its paper space when something is drawn there.
    if (ordered.empty()) {
        const auto* paper = db.PeekAs<cad::BlockTableRecord>(db.PaperSpaceId());
        if (paper && !paper->entities.empty())
            layouts.push_back(LayoutEntry{"Layout1", db.PaperSpaceId()});
    }
    return layouts;
}

bool Scene::IsViewport(const cad::Database& db, cad::ObjectId id) const {
    const auto* opaque = db.PeekAs<cad::OpaqueEntity>(id);
    return opaque && cad::NamesEqual(opaque->typeName, "VIEWPORT");
}

void Scene::AddViewport(const cad::Database& db, cad::ObjectId id) {
    std::string_view bytes = BytesOf(db, id);
    Tags tags;
    if (bytes.empty() || !ReadTags(bytes, db.Layout()->format, tags))
        return;
    // Viewport 1 is the sheet itself; a status of 0 is a viewport turned off.
    if (tags.Number(69, 0) <= 1 || tags.Number(68, 1) == 0)
        return;
    double cx = tags.Number(10), cy = tags.Number(20);
    double width = tags.Number(40), height = tags.Number(41);
    double viewHeight = tags.Number(45);
    if (!(width > 0) || !(height > 0) || !(viewHeight > 0))
        return;
    double scale = height / viewHeight;
    // Model space as the viewport's display sees it: from its target (17/27), turned by its twist (51), the view's
    // centre (12/22, in those turned coordinates) at the frame's centre.
    double twist = tags.Number(51) * 3.14159265358979323846 / 180;
    double cs = std::cos(twist), sn = std::sin(twist);
    Placement view{scale * cs, scale * sn, -scale * sn, scale * cs, 0, 0};
    double tx = tags.Number(17), ty = tags.Number(27);
    view.e = cx - scale * tags.Number(12) - view.a * tx - view.c * ty;
    view.f = cy - scale * tags.Number(22) - view.b * tx - view.d * ty;
    Box clip;
    clip.Add(cx - width / 2, cy - height / 2);
    clip.Add(cx + width / 2, cy + height / 2);
    // Layers frozen in this viewport alone (331: their handles), hidden while it is built.
    std::vector<LayerLook*> frozen;
    const auto* layers = db.PeekAs<cad::SymbolTable>(db.LayerTableId());
    for (const cad::DxfTag& tag : tags.all) {
        if (tag.code != 331 || !layers)
            continue;
        std::uint64_t handle = std::strtoull(std::string(tag.value).c_str(), nullptr, 16);
        for (cad::ObjectId layerId : layers->records) {
            const auto* layer = db.PeekAs<cad::LayerTableRecord>(layerId);
            auto look = layer && layer->Handle() == handle ? m_layers.find(UpperName(layer->name)) : m_layers.end();
            if (look != m_layers.end() && !look->second.hidden) {
                look->second.hidden = true;
                frozen.push_back(&look->second);
            }
        }
    }
    m_clips.push_back(clip);
    // A group for each entity seen, cut to the frame: what lies outside the frame is not looked at again.
    const auto* model = db.PeekAs<cad::BlockTableRecord>(db.ModelSpaceId());
    for (cad::ObjectId inside : model ? model->entities : std::vector<cad::ObjectId>{}) {
        const auto* entity = db.PeekAs<cad::Entity>(inside);
        if (!entity || entity->IsErased() || LayerOf(*entity)->hidden)
            continue;
        Group group = StartGroup(id);
        group.clip = static_cast<std::uint32_t>(m_clips.size());
        m_visits = 0;
        AddEntity(db, inside, view, group, 0, Pen{});
        if (group.box.Empty() || !group.box.Intersects(clip)) {
            // Nothing of it shows: what it drew goes again.
            m_segments.resize(group.firstSegment);
            m_curves.resize(group.firstCurve);
            if (group.labels > 0)
                m_text.resize(m_labels[group.firstLabel].textAt);
            m_labels.resize(group.firstLabel);
            m_fills.resize(group.firstFill);
            continue;
        }
        Box shown;
        shown.Add(std::max(group.box.minX, clip.minX), std::max(group.box.minY, clip.minY));
        shown.Add(std::min(group.box.maxX, clip.maxX), std::min(group.box.maxY, clip.maxY));
        group.box = shown;
        m_groups.push_back(group);
    }
    for (LayerLook* look : frozen)
        look->hidden = false;
}

} // namespace render
