// How entities are drawn once BYLAYER and BYBLOCK are resolved: the layers as they look, the pens of entities,
// and the styles the display list's pieces carry.
#include "render/OpaqueEntities.h"
#include "render/Placement.h"
#include "render/Scene.h"

#include "platform/cad/dxf/DxfLayout.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {
// Markers for the linetypes named BYLAYER and BYBLOCK.
const Linetype kByLayer;
const Linetype kByBlock;

} // namespace

const LayerLook* Scene::LayerOf(const cad::Entity& entity) {
    auto known = m_layerOfText.find(entity.layer.c_str());
    if (known != m_layerOfText.end())
        return known->second;
    auto layer = m_layers.find(UpperName(entity.layer));
    const LayerLook* look = layer == m_layers.end() ? &m_unknownLayer : &layer->second;
    m_layerOfText.emplace(entity.layer.c_str(), look);
    return look;
}

Pen Scene::PenOf(const cad::Entity& entity, const Placement& at, int depth, const Pen& outer) {
    Pen pen;
    // Inside a block, what is on layer 0 is drawn as if on the reference's layer.
    pen.layer = depth > 0 && outer.layer && entity.layer == std::string_view("0") ? outer.layer : LayerOf(entity);
    const LayerLook& layer = *pen.layer;
    if (entity.trueColor >= 0)
        pen.colour = entity.trueColor;
    else if (entity.color == 0)
        pen.colour = outer.colour;
    else if (entity.color > 0 && entity.color < 256)
        pen.colour = IndexColour(entity.color);
    else
        pen.colour = layer.trueColour >= 0 ? layer.trueColour : IndexColour(std::clamp(layer.colour, 1, 255));
    pen.lineweight = entity.lineweight == -1 ? layer.lineweight : entity.lineweight == -2 ? outer.lineweight
                                                                                         : entity.lineweight;
    pen.dashScale = static_cast<double>(entity.linetypeScale) * m_look.linetypeScale * at.Scale();
    if (entity.linetype.empty()) {
        pen.linetype = layer.linetype;
    } else {
        // Names by their interned text: the letters are looked at once a name, not once an entity.
        auto known = m_linetypeOfText.find(entity.linetype.c_str());
        if (known == m_linetypeOfText.end()) {
            std::string name = UpperName(entity.linetype);
            const Linetype* found = name == "BYLAYER" ? &kByLayer : name == "BYBLOCK" ? &kByBlock : m_look.Find(name);
            known = m_linetypeOfText.emplace(entity.linetype.c_str(), found).first;
        }
        pen.linetype = known->second == &kByLayer ? layer.linetype : known->second == &kByBlock ? outer.linetype
                                                                                              : known->second;
    }
    return pen;
}

void Scene::UsePen(const Pen& pen) {
    m_pen = pen;
    m_style = StyleIndex(Style{pen.colour, pen.lineweight});
    m_dashElements.clear();
    m_dashLength = 0.0;
    m_dashOpen = false;
    if (pen.linetype && pen.linetype->shapes &&
        std::find(m_shapedLinetypes.begin(), m_shapedLinetypes.end(), pen.linetype->name) == m_shapedLinetypes.end())
        m_shapedLinetypes.push_back(pen.linetype->name);
    if (pen.linetype && pen.dashScale > 0.0 && std::isfinite(pen.dashScale)) {
        for (double element : pen.linetype->elements)
            m_dashElements.push_back(element * pen.dashScale);
        m_dashLength = pen.linetype->length * pen.dashScale;
    }
}

std::uint16_t Scene::StyleIndex(const Style& style) {
    // Drawings use a handful of styles: the last one asked for is nearly always asked for again.
    if (m_style < m_styles.size() && m_styles[m_style] == style)
        return m_style;
    std::uint64_t key = static_cast<std::uint64_t>(static_cast<std::uint32_t>(style.colour)) << 16 |
                        static_cast<std::uint16_t>(style.lineweight);
    if (auto found = m_styleOf.find(key); found != m_styleOf.end())
        return found->second;
    if (m_styles.size() >= 0xFFFF)
        return 0;
    m_styles.push_back(style);
    m_styleOf.emplace(key, static_cast<std::uint16_t>(m_styles.size() - 1));
    return static_cast<std::uint16_t>(m_styles.size() - 1);
}

void Scene::ReadLayers(const cad::Database& db, bool forPlot) {
    m_layers.clear();
    m_layerOfText.clear();
    m_unknownLayer = LayerLook{};
    const auto* layers = db.PeekAs<cad::SymbolTable>(db.LayerTableId());
    for (cad::ObjectId id : layers ? layers->records : std::vector<cad::ObjectId>{}) {
        const auto* layer = db.PeekAs<cad::LayerTableRecord>(id);
        if (!layer)
            continue;
        LayerLook look;
        look.colour = std::abs(layer->color);
        look.hidden = layer->color < 0 || (layer->flags & cad::kLayerFrozen);
        look.linetype = m_look.Find(UpperName(layer->lineType));
        // Not plotted (290 0), true colour and lineweight: the file's, as the editor keeps none of them.
        if (std::string_view bytes = BytesOf(db, id); !bytes.empty()) {
            cad::DxfFormat format = db.Layout()->format;
            bool unplotted = forPlot && FirstNumber(bytes, format, 290, 1) == 0;
            look.hidden = look.hidden || unplotted;
            double trueColour = FirstNumber(bytes, format, 420, -1);
            if (trueColour >= 0)
                look.trueColour = static_cast<std::int32_t>(static_cast<std::int64_t>(trueColour) & 0xFFFFFF);
            double lineweight = FirstNumber(bytes, format, 370, -3);
            look.lineweight = static_cast<std::int16_t>(lineweight >= 0 && lineweight <= 211 ? lineweight : -3);
        }
        // The CAD program never plots its layer of dimensions' definition points.
        if (forPlot && UpperName(layer->name) == "DEFPOINTS")
            look.hidden = true;
        m_layers[UpperName(layer->name)] = look;
    }
}

} // namespace render
