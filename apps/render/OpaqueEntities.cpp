#include "render/OpaqueEntities.h"
#include "render/Meshes.h"

#include "render/Curves.h"
#include "render/EntityTags.h"
#include "render/Hatching.h"
#include "render/Texts.h"

#include "platform/cad/Text.h"
#include "platform/cad/dxf/DxfLayout.h"
#include "platform/cad/dxf/FileText.h"
#include "platform/text/CodePage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace render {

namespace {
constexpr double kPi = 3.14159265358979323846;

// A point in the shape PDMODE gives (a dot, nothing, a plus, a cross or a tick; with a circle, a square or both)
// at PDSIZE: drawing units when positive, a percentage of the drawing's height when negative, 5 per cent at 0.
void AddPoint(Scene& scene, double x, double y, const Placement& at, Group& group) {
    const DrawingLook& look = scene.Look();
    int mode = look.pointMode;
    double size = look.pointSize > 0 ? look.pointSize
                  : look.pointSize < 0 ? scene.DrawingHeight() * -look.pointSize / 100
                                       : scene.DrawingHeight() * 0.05;
    double h = size / 2;
    auto line = [&](double x1, double y1, double x2, double y2) {
        scene.AddSegment(group, at.X(x + x1, y + y1), at.Y(x + x1, y + y1), at.X(x + x2, y + y2), at.Y(x + x2, y + y2));
    };
    switch (mode & 7) {
    case 0: line(0, 0, 0, 0); break;
    case 2: line(-h, 0, h, 0); line(0, -h, 0, h); break;
    case 3: line(-h, -h, h, h); line(-h, h, h, -h); break;
    case 4: line(0, 0, 0, h); break;
    default: break;
    }
    if (mode & 32)
        AddPath(scene, group, at, EllipsePoints(x, y, h, 0, 1.0, 0, 2 * kPi));
    if (mode & 64)
        AddPath(scene, group, at, {{x - h, y - h}, {x + h, y - h}, {x + h, y + h}, {x - h, y + h}, {x - h, y - h}});
    if ((mode & 7) == 1 && !(mode & 96)) {
        // Nothing to see, but the point is still there to be picked.
        group.box.Add(at.X(x, y), at.Y(x, y));
    }
}
// A filled arrowhead at `tip`, pointing away from `from`, `size` long.
void AddArrow(Scene& scene, Group& group, const Placement& at, std::pair<double, double> tip,
              std::pair<double, double> from, double size) {
    double dx = from.first - tip.first;
    double dy = from.second - tip.second;
    double length = std::hypot(dx, dy);
    if (!(length > 0) || !(size > 0))
        return;
    size = std::min(size, length);
    double ux = dx / length * size, uy = dy / length * size;
    Points arrow{tip, {tip.first + ux - uy / 6, tip.second + uy + ux / 6}, {tip.first + ux + uy / 6, tip.second + uy - ux / 6}};
    scene.AddFill(group, {Placed(at, arrow)});
}

// A multileader from its context data: each leader's lines to its landing point and the dogleg from there, the
// arrowheads, and the content (a multiline text, or a block by its handle).
void AddMultileader(Scene& scene, const cad::Database& db, const Tags& tags, const std::string& content,
                    const std::string& face, const Placement& at, Group& group) {
    const auto& t = tags.all;
    double arrow = 0.0;
    bool inContext = false;
    bool inLeader = false;
    bool inLine = false;
    std::pair<double, double> landing{0, 0};
    std::pair<double, double> dogleg{0, 0};
    double doglegLength = 0.0;
    Points line;
    Tags text; // the content's placement, in the codes an MTEXT has for it
    std::uint64_t block = 0;
    Placement blockAt;
    double blockScale = 1.0;
    auto finishLine = [&] {
        if (line.empty())
            return;
        Points path = line;
        path.push_back(landing);
        AddPath(scene, group, at, path);
        AddArrow(scene, group, at, path[0], path[1], arrow);
        line.clear();
    };
    for (std::size_t i = 0; i < t.size(); ++i) {
        const cad::DxfTag& tag = t[i];
        double next = i + 1 < t.size() ? t[i + 1].number : 0.0;
        if (tag.code == 300) {
            inContext = true;
        } else if (tag.code == 302) {
            inLeader = true;
            doglegLength = 0.0;
        } else if (tag.code == 304 && inLeader && !inLine) {
            inLine = true;
        } else if (tag.code == 305) {
            inLine = false;
            finishLine();
        } else if (tag.code == 303) {
            inLeader = false;
            if (doglegLength > 0)
                AddPath(scene, group, at,
                        {landing, {landing.first + dogleg.first * doglegLength, landing.second + dogleg.second * doglegLength}});
        } else if (inLine && tag.code == 10) {
            line.emplace_back(tag.number, next);
        } else if (inLeader && tag.code == 10) {
            landing = {tag.number, next};
        } else if (inLeader && tag.code == 11) {
            dogleg = {tag.number, next};
        } else if (inLeader && tag.code == 40) {
            doglegLength = tag.number;
        } else if (inContext && !inLeader) {
            auto keep = [&](int code, double value) {
                cad::DxfTag copy;
                copy.code = code;
                copy.number = value;
                text.all.push_back(copy);
            };
            if (tag.code == 140)
                arrow = tag.number;
            else if (tag.code == 41)
                keep(40, tag.number);
            else if (tag.code == 12 || tag.code == 22)
                keep(tag.code - 2, tag.number);
            else if (tag.code == 13 || tag.code == 23)
                keep(tag.code - 2, tag.number);
            else if (tag.code == 43)
                keep(41, tag.number);
            else if (tag.code == 171)
                keep(71, tag.number);
            else if (tag.code == 341)
                block = std::strtoull(std::string(tag.value).c_str(), nullptr, 16);
            else if (tag.code == 15) {
                blockAt.e = tag.number;
                blockAt.f = next;
            } else if (tag.code == 16)
                blockScale = tag.number;
        }
        if (tag.code == 301)
            inContext = false;
    }
    if (!content.empty())
        AddMtext(scene, text, content, face, at, group);
    if (block != 0) {
        cad::ObjectId id = db.FindBlockRecordByHandle(block);
        if (const auto* record = db.PeekAs<cad::BlockTableRecord>(id)) {
            blockAt.a = blockAt.d = blockScale > 0 ? blockScale : 1.0;
            blockAt.e -= blockAt.a * record->origin.x;
            blockAt.f -= blockAt.d * record->origin.y;
            scene.AddBlock(db, id, at.Then(blockAt), group, 1);
        }
    }
}
} // namespace

double FirstNumber(std::string_view bytes, cad::DxfFormat format, int code, double fallback) {
    cad::DxfTagStream stream(bytes, format);
    cad::DxfTag tag;
    while (stream.Next(tag)) {
        if (tag.code == code)
            return tag.number;
    }
    return fallback;
}

bool AddPolylineFromTags(Scene& scene, std::string_view bytes, cad::DxfFormat format, bool heavy, const Placement& at,
                         Group& group) {
    Tags tags;
    if (!ReadTags(bytes, format, tags))
        return false;
    if (heavy && AddMeshPolyline(scene, tags, at, group))
        return true;
    Points vertices;
    std::vector<double> bulges;
    std::vector<std::pair<double, double>> widths; // start and end width of the segment from each vertex
    bool closed = false;
    double constantWidth = 0.0;
    bool inVertex = !heavy;
    bool headDone = false;
    for (const cad::DxfTag& tag : tags.all) {
        if (tag.code == 0) {
            if (headDone && heavy) {
                inVertex = cad::NamesEqual(tag.value, "VERTEX");
                if (!inVertex && cad::NamesEqual(tag.value, "SEQEND"))
                    break;
            }
            headDone = true;
            continue;
        }
        if (!inVertex) {
            if (tag.code == 70)
                closed = (static_cast<int>(tag.number) & 1) != 0;
            else if (tag.code == 40)
                constantWidth = tag.number; // the default width of the vertices that give none
            continue;
        }
        switch (tag.code) {
        case 10:
            vertices.emplace_back(tag.number, 0.0);
            bulges.push_back(0.0);
            widths.resize(vertices.size(), {constantWidth, constantWidth});
            break;
        case 20:
            if (!vertices.empty())
                vertices.back().second = tag.number;
            break;
        case 42:
            if (!vertices.empty())
                bulges.back() = tag.number;
            break;
        case 40:
            if (!vertices.empty())
                widths[vertices.size() - 1].first = tag.number;
            break;
        case 41:
            if (!vertices.empty())
                widths[vertices.size() - 1].second = tag.number;
            break;
        case 43:
            constantWidth = tag.number;
            break;
        case 70:
            if (!heavy)
                closed = (static_cast<int>(tag.number) & 1) != 0;
            break;
        default: break;
        }
    }
    if (vertices.empty())
        return false;
    if (!heavy && constantWidth > 0)
        widths.assign(vertices.size(), {constantWidth, constantWidth});
    bool wide = std::any_of(widths.begin(), widths.end(), [](const auto& w) { return w.first > 0 || w.second > 0; });
    std::size_t n = vertices.size();
    std::size_t segments = closed ? n : n - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        Points piece = BulgedPoints({vertices[i], vertices[(i + 1) % n]}, {bulges[i]}, false);
        if (!wide || i >= widths.size()) {
            AddPath(scene, group, at, piece);
            continue;
        }
        // A wide segment is a band: the piece's points offset to both sides, the width going from start to end.
        Points left;
        Points right;
        for (std::size_t k = 0; k < piece.size(); ++k) {
            const auto& a = piece[k == 0 ? 0 : k - 1];
            const auto& b = piece[k == 0 ? 1 : k];
            double dx = b.first - a.first, dy = b.second - a.second;
            double length = std::hypot(dx, dy);
            double half = (widths[i].first + (widths[i].second - widths[i].first) * k / std::max<std::size_t>(1, piece.size() - 1)) / 2;
            double nx = length > 0 ? -dy / length * half : 0.0, ny = length > 0 ? dx / length * half : 0.0;
            left.emplace_back(piece[k].first + nx, piece[k].second + ny);
            right.emplace_back(piece[k].first - nx, piece[k].second - ny);
        }
        left.insert(left.end(), right.rbegin(), right.rend());
        scene.AddFill(group, {Placed(at, left)});
    }
    return true;
}

bool AddOpaqueEntity(Scene& scene, const cad::Database& db, std::string_view type, std::string_view bytes,
                     cad::DxfFormat format, const Placement& at, Group& group, int depth) {
    Tags tags;
    if (!ReadTags(bytes, format, tags))
        return false;
    const cad::CodePage* fileCodePage = nullptr;
    if (const cad::DxfLayout* layout = db.Layout(); layout && !layout->utf8)
        fileCodePage = cad::CodePage::Find(layout->codePage);
    auto decoded = [&](std::string_view raw) {
        bool lost = false;
        return cad::DecodeFileText(raw, fileCodePage, textkit::Active(), lost);
    };
    if (cad::NamesEqual(type, "ELLIPSE")) {
        AddPath(scene, group, at, EllipsePoints(tags.Number(10), tags.Number(20), tags.Number(11), tags.Number(21),
                                                tags.Number(40, 1.0), tags.Number(41, 0.0), tags.Number(42, 2 * kPi)));
        return true;
    }
    if (cad::NamesEqual(type, "SPLINE")) {
        int degree = static_cast<int>(tags.Number(71, 3));
        std::vector<double> knots;
        std::vector<double> weights;
        for (const cad::DxfTag& tag : tags.all) {
            if (tag.code == 40)
                knots.push_back(tag.number);
            else if (tag.code == 41)
                weights.push_back(tag.number);
        }
        Points control = tags.PointsOf(10);
        AddPath(scene, group, at, control.empty() ? ThroughPoints(tags.PointsOf(11), 16)
                                                  : NurbsPoints(degree, control, knots, weights, 32));
        return true;
    }
    if (cad::NamesEqual(type, "SOLID") || cad::NamesEqual(type, "TRACE")) {
        // Corners in the order 1, 2, 4, 3: the third and fourth swap places.
        Points c{{tags.Number(10), tags.Number(20)}, {tags.Number(11), tags.Number(21)},
                 {tags.Number(13, tags.Number(12)), tags.Number(23, tags.Number(22))}, {tags.Number(12), tags.Number(22)}};
        scene.AddFill(group, {Placed(at, c)});
        return true;
    }
    if (cad::NamesEqual(type, "MESH")) {
        AddMesh(scene, tags, at, group);
        return true;
    }
    if (cad::NamesEqual(type, "3DFACE")) {
        Points c{{tags.Number(10), tags.Number(20)}, {tags.Number(11), tags.Number(21)},
                 {tags.Number(12), tags.Number(22)}, {tags.Number(13, tags.Number(12)), tags.Number(23, tags.Number(22))}};
        int hidden = static_cast<int>(tags.Number(70));
        for (int e = 0; e < 4; ++e) {
            if (!(hidden & (1 << e)))
                AddPath(scene, group, at, {c[static_cast<std::size_t>(e)], c[static_cast<std::size_t>((e + 1) % 4)]});
        }
        return true;
    }
    if (cad::NamesEqual(type, "POINT")) {
        AddPoint(scene, tags.Number(10), tags.Number(20), at, group);
        return true;
    }
    if (cad::NamesEqual(type, "XLINE") || cad::NamesEqual(type, "RAY")) {
        // Long enough to cross any view of the drawing; the view clips it.
        double x = tags.Number(10), y = tags.Number(20), dx = tags.Number(11), dy = tags.Number(21);
        double reach = 1e7;
        double from = cad::NamesEqual(type, "RAY") ? 0.0 : -reach;
        scene.SetUnbounded(true);
        AddPath(scene, group, at, {{x + dx * from, y + dy * from}, {x + dx * reach, y + dy * reach}});
        scene.SetUnbounded(false);
        return true;
    }
    if (cad::NamesEqual(type, "HATCH"))
        return AddHatch(scene, tags, at, group);
    if (cad::NamesEqual(type, "MTEXT")) {
        std::string raw;
        for (const cad::DxfTag& tag : tags.all)
            if (tag.code == 3)
                raw += tag.value;
        raw += tags.Text(1);
        std::string style = decoded(tags.Text(7));
        cad::ObjectId styleId = db.FindRecord(db.TextStyleTableId(), style.empty() ? "Standard" : style);
        AddMtext(scene, tags, decoded(raw), FaceOfStyle(scene, db, styleId), at, group);
        return true;
    }
    if (cad::NamesEqual(type, "VIEWPORT")) {
        // Its frame; what it shows of model space the scene adds (viewport 1 is the sheet, and has none).
        if (tags.Number(69, 0) > 1) {
            double cx = tags.Number(10), cy = tags.Number(20), hw = tags.Number(40) / 2, hh = tags.Number(41) / 2;
            AddPath(scene, group, at, {{cx - hw, cy - hh}, {cx + hw, cy - hh}, {cx + hw, cy + hh}, {cx - hw, cy + hh},
                                       {cx - hw, cy - hh}});
        }
        return true;
    }
    if (cad::NamesEqual(type, "MULTILEADER") || cad::NamesEqual(type, "MLEADER")) {
        std::string content;
        for (const cad::DxfTag& tag : tags.all)
            if (tag.code == 304 && tag.value != "LEADER_LINE{" && content.empty())
                content = decoded(tag.value);
        // The text's style is named by handle, which the editor does not look up: the standard one's face.
        cad::ObjectId styleId = db.FindRecord(db.TextStyleTableId(), "Standard");
        AddMultileader(scene, db, tags, content, FaceOfStyle(scene, db, styleId), at, group);
        return true;
    }
    if (cad::NamesEqual(type, "DIMENSION") || cad::NamesEqual(type, "ACAD_TABLE")) {
        // Drawn by the block the CAD program made for it: a dimension's at the origin, a table's at its corner.
        std::string name = decoded(tags.Text(2));
        const auto* table = db.PeekAs<cad::SymbolTable>(db.BlockTableId());
        for (cad::ObjectId id : table ? table->records : std::vector<cad::ObjectId>{}) {
            const auto* block = db.PeekAs<cad::BlockTableRecord>(id);
            if (block && block->name == name) {
                Placement inner;
                if (cad::NamesEqual(type, "ACAD_TABLE")) {
                    inner.e = tags.Number(10) - block->origin.x;
                    inner.f = tags.Number(20) - block->origin.y;
                }
                scene.AddBlock(db, id, at.Then(inner), group, depth + 1);
                return true;
            }
        }
        return true;
    }
    if (cad::NamesEqual(type, "LEADER")) {
        Points vertices = tags.PointsOf(10);
        AddPath(scene, group, at, vertices);
        if (vertices.size() >= 2 && tags.Number(71, 1) != 0) {
            // The arrowhead at the first vertex: the dimension style's size (1.8 text heights), within a third of the
            // first segment.
            double first = std::hypot(vertices[1].first - vertices[0].first, vertices[1].second - vertices[0].second);
            AddArrow(scene, group, at, vertices[0], vertices[1], std::min(first / 3, 1.8 * tags.Number(40, 1.0)));
        }
        return true;
    }
    if (cad::NamesEqual(type, "IMAGE") || cad::NamesEqual(type, "WIPEOUT")) {
        double x = tags.Number(10), y = tags.Number(20);
        double ux = tags.Number(11), uy = tags.Number(21), vx = tags.Number(12), vy = tags.Number(22);
        double w = tags.Number(13, 1), h = tags.Number(23, 1);
        // The corner is the outer corner of the first pixel: the frame is the picture's whole extent.
        Points frame{{x, y}, {x + ux * w, y + uy * w}, {x + ux * w + vx * h, y + uy * w + vy * h}, {x + vx * h, y + vy * h}};
        if (cad::NamesEqual(type, "WIPEOUT")) {
            // Hides what was drawn before it; its frame shows only when the drawing asks (the WIPEOUTFRAME
            // setting, which is not read: frames are shown, as by default).
            scene.UseColour(kBackground);
            scene.AddFill(group, {Placed(at, frame)});
            scene.UseColour(scene.PenColour());
        }
        frame.push_back(frame.front());
        AddPath(scene, group, at, frame);
        if (cad::NamesEqual(type, "IMAGE")) {
            // The picture is not drawn; its file's name is, inside the frame, so it can be told which it is.
            std::string_view handle = tags.Text(340);
            const cad::FileObject* definition =
                db.FindFileObject(std::strtoull(std::string(handle).c_str(), nullptr, 16));
            std::string name = definition ? definition->name : std::string();
            name = name.substr(name.find_last_of("/\\") == std::string::npos ? 0 : name.find_last_of("/\\") + 1);
            double side = std::hypot(vx, vy) * h;
            double width = std::hypot(ux, uy) * w;
            if (!name.empty() && side > 0 && width > 0) {
                double textHeight = std::min(side / 8, width / (0.8 * static_cast<double>(name.size()) + 1));
                double angle = std::atan2(uy, ux);
                double tx = x + (ux * w + vx * h) * 0.02 + vx * h * 0.02, ty = y + (uy * w + vy * h) * 0.02 + vy * h * 0.02;
                Label label{at.X(tx, ty), at.Y(tx, ty), textHeight * at.Scale(), angle + at.Angle()};
                scene.AddLabel(group, label, name, TextAdvance("DejaVu Sans", name, textHeight) * at.Scale());
            }
        }
        return true;
    }
    return false;
}

} // namespace render
