#include "render/Scene.h"

#include "render/OpaqueEntities.h"
#include "render/Placement.h"
#include "render/Texts.h"

#include "platform/cad/dxf/DxfLayout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

namespace render {

namespace {
constexpr double kPi = 3.14159265358979323846;
// Deeper nesting than this is a drawing that refers to itself.
constexpr int kDeepest = 16;
// What one entity of the drawing may draw at most: a reference to a block of references, many times over, could
// otherwise ask for more than any memory holds.
constexpr std::size_t kMostPerGroup = 2000000;

// Only a polyline with bulges or widths is drawn from its bytes.
bool IsShapedPolyline(const cad::Object& object) {
    return object.Kind() == cad::ObjectKind::Polyline && static_cast<const cad::Polyline&>(object).shaped;
}


} // namespace

void Scene::Grow(Group& group, double x, double y) {
    group.box.Add(x, y);
    if (!m_unbounded)
        m_bounded.Add(x, y);
}

void Scene::PushSegment(Group& group, double x1, double y1, double x2, double y2) {
    m_segments.push_back(Segment{x1, y1, x2, y2, m_style});
    ++group.segments;
}

void Scene::AddSegment(Group& group, double x1, double y1, double x2, double y2) {
    Grow(group, x1, y1);
    Grow(group, x2, y2);
    if (!m_dashing || m_dashElements.empty()) {
        PushSegment(group, x1, y1, x2, y2);
        return;
    }
    // A path's next line goes on with the pattern where the last one left it.
    if (!m_dashOpen || x1 != m_dashX || y1 != m_dashY)
        m_dashPhase = 0.0;
    DashLine(m_dashElements, m_dashLength, m_dashPhase, x1, y1, x2, y2,
             [&](double a, double b, double c, double d) { PushSegment(group, a, b, c, d); });
    m_dashOpen = true;
    m_dashX = x2;
    m_dashY = y2;
}

void Scene::AddCurve(Group& group, const Curve& c) {
    Grow(group, c.cx - c.r, c.cy - c.r);
    Grow(group, c.cx + c.r, c.cy + c.r);
    Curve styled = c;
    styled.style = m_style;
    m_dashOpen = false;
    if (!m_dashing || m_dashElements.empty() || !(c.r > 0.0)) {
        m_curves.push_back(styled);
        ++group.curves;
        return;
    }
    // The pattern laid along the arc's length, from its start.
    double sweep = c.end - c.start;
    if (sweep <= 0)
        sweep += 2 * kPi;
    double phase = 0.0;
    DashLine(m_dashElements, m_dashLength, phase, 0.0, 0.0, c.r * sweep, 0.0, [&](double a, double, double b, double) {
        double t0 = c.start + a / c.r;
        double t1 = c.start + b / c.r;
        if (t1 - t0 < 1e-12) {
            PushSegment(group, c.cx + c.r * std::cos(t0), c.cy + c.r * std::sin(t0), c.cx + c.r * std::cos(t0),
                        c.cy + c.r * std::sin(t0));
            return;
        }
        Curve piece = styled;
        piece.start = t0;
        piece.end = t1;
        m_curves.push_back(piece);
        ++group.curves;
    });
}

void Scene::AddLabel(Group& group, Label label, std::string_view text, double width) {
    // Where the text runs from its point, by its alignment: about as wide as its letters.
    double shift = label.horizontal == 2 ? width : label.horizontal == 1 ? width / 2 : 0.0;
    // A backward text runs the other way from its point, an upside-down one hangs below it.
    double along = label.backward ? -1.0 : 1.0;
    double up = label.upsideDown ? -1.0 : 1.0;
    double cs = std::cos(label.angle) * along;
    double sn = std::sin(label.angle) * along;
    double x0 = label.x - shift * cs;
    double y0 = label.y - shift * sn;
    double hx = -std::sin(label.angle) * label.height * up;
    double hy = std::cos(label.angle) * label.height * up;
    Grow(group, x0, y0);
    Grow(group, x0 + width * cs + hx, y0 + width * sn + hy);
    Grow(group, x0 + width * cs, y0 + width * sn);
    Grow(group, x0 + hx, y0 + hy);
    label.style = m_style;
    label.textAt = static_cast<std::uint32_t>(m_text.size());
    label.textLength = static_cast<std::uint32_t>(text.size());
    m_text += text;
    m_labels.push_back(label);
    ++group.labels;
}

void Scene::AddFill(Group& group, const std::vector<std::vector<std::pair<double, double>>>& rings) {
    Fill fill{static_cast<std::uint32_t>(m_rings.size()), 0, m_style};
    for (const auto& ring : rings) {
        if (ring.size() < 3)
            continue;
        m_rings.push_back(Ring{static_cast<std::uint32_t>(m_fillPoints.size()), static_cast<std::uint32_t>(ring.size())});
        for (const auto& [x, y] : ring) {
            Grow(group, x, y);
            m_fillPoints.emplace_back(x, y);
        }
        ++fill.rings;
    }
    if (fill.rings == 0)
        return;
    m_fills.push_back(fill);
    ++group.fills;
}

bool Scene::Exhausted(const Group& group) {
    // Pieces drawn, and entities looked at: blocks of empty blocks, nested, draw nothing however many there are.
    if (static_cast<std::size_t>(group.segments) + group.curves + group.labels + group.fills <= kMostPerGroup &&
        m_visits <= kMostPerGroup)
        return false;
    if (!m_cutShort) {
        m_cutShort = true;
        NoteNotDrawn("INSERT drawn in part (more than " + std::to_string(kMostPerGroup) + " pieces)");
    }
    return true;
}

void Scene::AddBlock(const cad::Database& db, cad::ObjectId blockId, const Placement& at, Group& group, int depth) {
    const auto* block = db.PeekAs<cad::BlockTableRecord>(blockId);
    if (!block || (block->flags & cad::kBlockExternal) || depth > kDeepest)
        return;
    // A block that holds a reference to itself, however deep, is drawn once along each path.
    if (std::find(m_expanding.begin(), m_expanding.end(), blockId) != m_expanding.end())
        return;
    m_expanding.push_back(blockId);
    Pen outer = m_pen;
    for (cad::ObjectId inside : block->entities) {
        if (Exhausted(group))
            break;
        AddEntity(db, inside, at, group, depth, outer);
    }
    UsePen(outer);
    m_expanding.pop_back();
}

std::string_view Scene::BytesOf(const cad::Database& db, cad::ObjectId id) const {
    const cad::DxfLayout* layout = db.Layout();
    auto found = std::lower_bound(m_itemOf.begin(), m_itemOf.end(), std::make_pair(id, std::size_t{0}));
    if (!layout || found == m_itemOf.end() || found->first != id)
        return {};
    std::size_t begin = layout->items[found->second].Begin();
    return layout->content.substr(begin, layout->End(found->second) - begin);
}

void Scene::NoteNotDrawn(const std::string& kind) {
    for (auto& [name, count] : m_notDrawn) {
        if (name == kind) {
            ++count;
            return;
        }
    }
    m_notDrawn.emplace_back(kind, 1);
}

void Scene::NoteShx(const std::string& font) {
    if (std::find(m_shxFonts.begin(), m_shxFonts.end(), font) == m_shxFonts.end())
        m_shxFonts.push_back(font);
}

std::uint16_t Scene::FaceIndex(const std::string& face) {
    for (std::size_t i = 0; i < m_faces.size(); ++i)
        if (m_faces[i] == face)
            return static_cast<std::uint16_t>(i);
    if (m_faces.size() >= 0xFFFF)
        return 0;
    m_faces.push_back(face);
    return static_cast<std::uint16_t>(m_faces.size() - 1);
}

std::uint16_t Scene::FaceOfStyle(const cad::Database& db, cad::ObjectId styleId) {
    auto known = m_faceOfStyle.find(styleId);
    if (known == m_faceOfStyle.end())
        known = m_faceOfStyle.emplace(styleId, FaceIndex(render::FaceOfStyle(*this, db, styleId))).first;
    return known->second;
}

std::vector<std::string> Scene::Notes() const {
    std::vector<std::string> notes;
    if (std::string note = NotDrawnNote(); !note.empty())
        notes.push_back(note);
    auto listed = [](std::string line, const std::vector<std::string>& names) {
        for (std::size_t i = 0; i < names.size(); ++i)
            line += (i ? ", " : " ") + names[i];
        return line;
    };
    if (!m_shxFonts.empty())
        notes.push_back(listed("SHX fonts drawn in a sans face:", m_shxFonts));
    if (!m_shapedLinetypes.empty())
        notes.push_back(listed("linetypes drawn without their shapes and texts:", m_shapedLinetypes));
    return notes;
}

std::string Scene::NotDrawnNote() const {
    if (m_notDrawn.empty())
        return {};
    std::vector<std::pair<std::string, std::size_t>> sorted = m_notDrawn;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::string note = "not drawn:";
    for (std::size_t i = 0; i < sorted.size(); ++i)
        note += (i ? ", " : " ") + std::to_string(sorted[i].second) + " " + sorted[i].first;
    return note;
}

void Scene::AddEntity(const cad::Database& db, cad::ObjectId id, const Placement& at, Group& group, int depth,
                      const Pen& outer) {
    const cad::Object* object = db.Peek(id);
    if (!object || object->IsErased() || depth > kDeepest || !cad::Entity::Holds(object->Kind()))
        return;
    ++m_visits;
    if (static_cast<const cad::Entity*>(object)->invisible)
        return;
    Pen pen = PenOf(*static_cast<const cad::Entity*>(object), at, depth, outer);
    if (pen.layer->hidden)
        return;
    UsePen(pen);
    if (depth == 0)
        group.style = m_style;
    auto segment = [&](double x1, double y1, double x2, double y2) {
        AddSegment(group, at.X(x1, y1), at.Y(x1, y1), at.X(x2, y2), at.Y(x2, y2));
    };
    auto curve = [&](const cad::Point3d& centre, double r, double start, double end) {
        if (at.KeepsCircles()) {
            AddCurve(group, Curve{at.X(centre.x, centre.y), at.Y(centre.x, centre.y), r * at.Scale(), start + at.Angle(),
                                  end + at.Angle()});
            return;
        }
        // Stretched or mirrored: as short lines.
        if (end < start)
            end += 2 * kPi;
        int steps = std::max(8, static_cast<int>((end - start) / (2 * kPi) * 48));
        for (int i = 0; i < steps; ++i) {
            double t0 = start + (end - start) * i / steps;
            double t1 = start + (end - start) * (i + 1) / steps;
            segment(centre.x + r * std::cos(t0), centre.y + r * std::sin(t0), centre.x + r * std::cos(t1),
                    centre.y + r * std::sin(t1));
        }
    };
    switch (object->Kind()) {
    case cad::ObjectKind::Line: {
        const auto* line = static_cast<const cad::Line*>(object);
        segment(line->start.x, line->start.y, line->end.x, line->end.y);
        break;
    }
    case cad::ObjectKind::Circle: {
        const auto* circle = static_cast<const cad::Circle*>(object);
        curve(circle->center, circle->radius, 0.0, 2 * kPi);
        break;
    }
    case cad::ObjectKind::Arc: {
        const auto* arc = static_cast<const cad::Arc*>(object);
        curve(arc->center, arc->radius, arc->startAngle, arc->endAngle);
        break;
    }
    case cad::ObjectKind::Polyline: {
        const auto* polyline = static_cast<const cad::Polyline*>(object);
        // Bulges and widths are the file's: a polyline as read draws its arcs and wide segments from there.
        if (std::string_view bytes = polyline->shaped ? BytesOf(db, id) : std::string_view();
            !bytes.empty() && !object->IsModified() &&
            AddPolylineFromTags(*this, bytes, db.Layout()->format, polyline->heavy, at, group))
            break;
        const auto& v = polyline->vertices;
        for (std::size_t i = 0; i + 1 < v.size(); ++i)
            segment(v[i].x, v[i].y, v[i + 1].x, v[i + 1].y);
        if (polyline->closed && v.size() > 1)
            segment(v.back().x, v.back().y, v.front().x, v.front().y);
        break;
    }
    case cad::ObjectKind::Text:
    case cad::ObjectKind::AttributeDefinition:
    case cad::ObjectKind::Attribute: {
        const auto* text = static_cast<const cad::TextEntity*>(object);
        std::string shown = text->text;
        if (object->Kind() == cad::ObjectKind::AttributeDefinition) {
            // Inside a block a definition shows as the attribute of the reference, but a constant one, which
            // references carry no attribute for, shows its value; alone, it shows its tag.
            const auto* definition = static_cast<const cad::AttributeDefinition*>(object);
            if ((definition->flags & cad::kAttInvisible) || (depth > 0 && !(definition->flags & cad::kAttConstant)))
                break;
            if (depth == 0)
                shown = definition->tag;
        }
        if (object->Kind() == cad::ObjectKind::Attribute &&
            (static_cast<const cad::Attribute*>(object)->flags & cad::kAttInvisible))
            break;
        if (shown.empty())
            break;
        AddText(*this, db, *text, shown, at, group);
        break;
    }
    case cad::ObjectKind::BlockReference: {
        const auto* reference = static_cast<const cad::BlockReference*>(object);
        const auto* block = db.PeekAs<cad::BlockTableRecord>(reference->blockId);
        if (block && !(block->flags & cad::kBlockExternal)) {
            double cs = std::cos(reference->rotation);
            double sn = std::sin(reference->rotation);
            for (int row = 0; row < std::max(reference->rowCount, 1) && !Exhausted(group); ++row) {
                for (int col = 0; col < std::max(reference->columnCount, 1) && !Exhausted(group); ++col) {
                    double ox = col * reference->columnSpacing;
                    double oy = row * reference->rowSpacing;
                    Placement inner{cs * reference->scale.x, sn * reference->scale.x, -sn * reference->scale.y,
                                    cs * reference->scale.y, 0, 0};
                    inner.e = reference->position.x + cs * ox - sn * oy - inner.a * block->origin.x - inner.c * block->origin.y;
                    inner.f = reference->position.y + sn * ox + cs * oy - inner.b * block->origin.x - inner.d * block->origin.y;
                    AddBlock(db, reference->blockId, at.Then(inner), group, depth + 1);
                }
            }
        }
        for (cad::ObjectId attribute : reference->attributes)
            AddEntity(db, attribute, at, group, depth + 1, pen);
        if (group.box.Empty())
            group.box.Add(at.X(reference->position.x, reference->position.y), at.Y(reference->position.x, reference->position.y));
        break;
    }
    case cad::ObjectKind::Opaque: {
        const auto* opaque = static_cast<const cad::OpaqueEntity*>(object);
        std::string type(opaque->typeName);
        const cad::DxfLayout* layout = db.Layout();
        std::string_view bytes = BytesOf(db, id);
        bool drawn = layout && !bytes.empty() && AddOpaqueEntity(*this, db, type, bytes, layout->format, at, group, depth);
        if (!drawn)
            NoteNotDrawn(UpperName(type));
        break;
    }
    default: break;
    }
}

void Scene::Prepare(const cad::Database& db, bool forPlot, cad::ObjectId space) {
    m_groups.clear();
    m_segments.clear();
    m_curves.clear();
    m_labels.clear();
    m_text.clear();
    m_fillPoints.clear();
    m_rings.clear();
    m_fills.clear();
    m_notDrawn.clear();
    m_extents = Box{};
    m_overview = Overview{};
    m_look = ReadLook(db.Layout());
    m_faces.assign(1, "DejaVu Sans");
    m_faceOfStyle.clear();
    m_linetypeOfText.clear();
    m_shxFonts.clear();
    m_shapedLinetypes.clear();
    m_expanding.clear();
    m_cutShort = false;
    ReadLayers(db, forPlot);
    m_styles.clear();
    m_styleOf.clear();
    m_style = 0;
    m_dashing = true;
    StyleIndex(Style{});
    const cad::DrawingHeader& header = db.Header();
    double height = header.extentsMax.y - header.extentsMin.y;
    m_drawingHeight = height > 0 && height < 1e30 ? height : 1.0;
    m_clips.clear();
    if (space == cad::kNullId)
        space = db.ModelSpaceId();
    m_paper = space != db.ModelSpaceId();
}

void Scene::AddEntities(const cad::Database& db, const cad::ObjectId* first, const cad::ObjectId* last) {
    std::size_t entities = static_cast<std::size_t>(last - first);
    m_groups.reserve(entities);
    // Room for a drawing of the usual mix, so that the lists are not copied as they grow: what is reserved and not
    // used takes no memory until it is written.
    m_segments.reserve(entities * 2);
    m_curves.reserve(entities / 2);
    m_labels.reserve(entities);
    m_text.reserve(entities * 8);
    m_spaceHash = IdsHash(m_spaceHash, first, last);
    for (const cad::ObjectId* at = first; at != last; ++at) {
        cad::ObjectId id = *at;
        const auto* entity = db.PeekAs<cad::Entity>(id);
        m_spaceErased.push_back(entity && entity->IsErased());
        m_groupOfEntity.push_back(-1);
        if (!entity || entity->IsErased() || LayerOf(*entity)->hidden)
            continue;
        Group group = StartGroup(id);
        m_visits = 0;
        m_bounded = Box{};
        m_sawUnbounded = false;
        AddEntity(db, id, Placement{}, group, 0, Pen{});
        if (group.box.Empty())
            continue;
        // The drawing's extents leave out construction lines, which have none.
        m_extents.Add(m_sawUnbounded ? m_bounded : group.box);
        m_groupOfEntity.back() = static_cast<std::int32_t>(m_groups.size());
        m_groups.push_back(group);
        if (m_paper && IsViewport(db, id))
            AddViewport(db, id);
    }
}

void Scene::IndexFileBytes(const cad::Database& db) {
    // Where each object's bytes are in the file, for the entities kept only as bytes.
    m_itemOf.clear();
    if (const cad::DxfLayout* layout = db.Layout()) {
        for (std::size_t i = 0; i < layout->items.size(); ++i) {
            if (layout->items[i].Kind() == cad::DxfItemKind::Object && layout->items[i].object != cad::kNullId) {
                const cad::Object* object = db.Peek(layout->items[i].object);
                if (object && (object->Kind() == cad::ObjectKind::Opaque || IsShapedPolyline(*object) ||
                               object->Kind() == cad::ObjectKind::LayerRecord))
                    m_itemOf.emplace_back(layout->items[i].object, i);
            }
        }
        std::sort(m_itemOf.begin(), m_itemOf.end());
    }
}

void Scene::Build(const cad::Database& db, bool forPlot, cad::ObjectId space) {
    m_builtTouches = cad::TouchCount();
    m_builtLastId = db.LastId();
    m_builtFrom = &db;
    m_builtForPlot = forPlot;
    m_builtSpace = space == cad::kNullId ? db.ModelSpaceId() : space;
    m_spaceHash = kHashSeed;
    m_spaceErased.clear();
    m_groupOfEntity.clear();
    IndexFileBytes(db);
    Prepare(db, forPlot, space);
    const auto* block = db.PeekAs<cad::BlockTableRecord>(space == cad::kNullId ? db.ModelSpaceId() : space);
    static const std::vector<cad::ObjectId> kNone;
    const std::vector<cad::ObjectId>& ids = block ? block->entities : kNone;
    AddEntities(db, ids.data(), ids.data() + ids.size());
    // A drawing of construction lines alone: their own boxes, or nothing would be in view.
    if (m_extents.Empty())
        for (const Group& group : m_groups)
            m_extents.Add(group.box);
    Index();
    m_layerSignature = LayerSignature(db);
    RememberBlockSizes(db);
    // Where the file's bytes are is only wanted while building.
    std::vector<std::pair<cad::ObjectId, std::size_t>>().swap(m_itemOf);
}

Group Scene::StartGroup(cad::ObjectId id) const {
    Group group;
    group.id = id;
    group.firstSegment = static_cast<std::uint32_t>(m_segments.size());
    group.firstCurve = static_cast<std::uint32_t>(m_curves.size());
    group.firstLabel = static_cast<std::uint32_t>(m_labels.size());
    group.firstFill = static_cast<std::uint32_t>(m_fills.size());
    return group;
}

} // namespace render
