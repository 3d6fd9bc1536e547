#pragma once

#include "platform/cad/Database.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <cairo.h>

namespace ui {
class Image;
}

// Model space as the drawing view and the plot show it: every entity flattened into world-coordinate lines,
// circular arcs, filled areas and texts, block references (and dimensions, tables) through their blocks, grouped
// by the model-space entity they come from, with a grid over the drawing's extents so that a view paints only
// what it shows. Built once when a drawing is read; painted onto any Cairo surface.
namespace render {

struct Box {
    double minX = 1e300;
    double minY = 1e300;
    double maxX = -1e300;
    double maxY = -1e300;
    bool Empty() const { return minX > maxX; }
    void Add(double x, double y);
    void Add(const Box& other);
    bool Intersects(const Box& other) const;
    bool Contains(const Box& other) const;
};

// World to screen: the world point at the view's centre and pixels per drawing unit; y grows upwards.
struct ViewTransform {
    double centreX = 0.0;
    double centreY = 0.0;
    double scale = 1.0;
    int width = 1;
    int height = 1;
    double ScreenX(double x) const { return (x - centreX) * scale + width / 2.0; }
    double ScreenY(double y) const { return height / 2.0 - (y - centreY) * scale; }
    double WorldX(double sx) const { return (sx - width / 2.0) / scale + centreX; }
    double WorldY(double sy) const { return (height / 2.0 - sy) / scale + centreY; }
    Box Visible() const;
    // The whole of `box` in view, with a margin.
    void Fit(const Box& box);
};

struct Segment {
    double x1, y1, x2, y2;
};
struct Curve {
    double cx, cy, r, start, end; // radians, counter-clockwise from start to end
};
struct Label {
    double x, y, height, angle;
    std::string text;
    std::uint8_t horizontal = 0; // 0 left, 1 centre, 2 right of the point
    std::uint8_t vertical = 0;   // 0 baseline, 1 bottom, 2 middle, 3 top
    float widthFactor = 1.0f;
};
// Closed rings filled together by the even-odd rule: a solid, a hatch with its islands.
struct Ring {
    std::uint32_t firstPoint, points;
};
struct Fill {
    std::uint32_t firstRing, rings;
};

// A colour as 0xRRGGBB, or kForeground: colour 7, white on a dark background and black on a light one.
constexpr std::int32_t kForeground = -1;
// The RGB of colour index 1-255 of the CAD program's palette.
[[nodiscard]] std::int32_t IndexColour(int index);

struct Group {
    cad::ObjectId id = cad::kNullId;
    Box box;
    std::uint32_t firstSegment = 0, segments = 0;
    std::uint32_t firstCurve = 0, curves = 0;
    std::uint32_t firstLabel = 0, labels = 0;
    std::uint32_t firstFill = 0, fills = 0;
    std::int32_t colour = kForeground;
};

// How a surface is painted: the live view's dark background and one-pixel lines written straight into its
// image, or a plot's background and antialiased strokes any surface takes (PNG, PDF, SVG).
struct PaintStyle {
    double background[3] = {0.13, 0.16, 0.19};
    bool pixelLines = true;
    double lineWidth = 1.0; // in pixels (points on a vector surface)
};

class Scene {
public:
    // Reads model space afresh; for a plot, layers marked not to be plotted are left out too.
    void Build(const cad::Database& db, bool forPlot = false);
    const Box& Extents() const { return m_extents; }
    std::size_t GroupCount() const { return m_groups.size(); }
    std::size_t SegmentCount() const { return m_segments.size(); }
    // What could not be drawn, by kind ("REGION" -> 12), and said so: "not drawn: 12 REGION, 3 3DSOLID"; empty
    // when everything was drawn.
    const std::vector<std::pair<std::string, std::size_t>>& NotDrawn() const { return m_notDrawn; }
    std::string NotDrawnNote() const;

    // Paints the part of the drawing in view; groups in `highlighted` (sorted ids) are drawn dashed.
    void Render(ui::Image& image, const ViewTransform& view, const std::vector<cad::ObjectId>& highlighted) const;
    // Paints onto `cr`, whose surface is `view.width` by `view.height` units, as `style` says. `image` is the
    // surface's image when it is one (for pixel lines), else null.
    void Paint(cairo_t* cr, ui::Image* image, const ViewTransform& view, const PaintStyle& style,
               const std::vector<cad::ObjectId>& highlighted) const;

    // The entity whose drawing passes nearest to the point, within `tolerance` drawing units.
    cad::ObjectId Pick(double x, double y, double tolerance) const;
    // Entities wholly inside the box (a window), or with some part in it (crossing), in drawing order.
    std::vector<cad::ObjectId> InBox(const Box& box, bool crossing) const;

    // For the builders of opaque entities' geometry: what they add to the group being built.
    void AddSegment(Group& group, double x1, double y1, double x2, double y2);
    void AddCurve(Group& group, const Curve& curve);
    void AddLabel(Group& group, Label label, double width);
    void AddFill(Group& group, const std::vector<std::vector<std::pair<double, double>>>& rings);
    void AddBlock(const cad::Database& db, cad::ObjectId blockId, const struct Placement& at, Group& group, int depth);
    void NoteNotDrawn(const std::string& kind);
    // The bytes the file holds for an opaque entity or a polyline, as read; empty when there are none.
    std::string_view BytesOf(const cad::Database& db, cad::ObjectId id) const;

private:
    void AddEntity(const cad::Database& db, cad::ObjectId id, const struct Placement& at, Group& group, int depth);
    void Index();
    // The groups whose boxes meet `box`, each once.
    std::vector<std::uint32_t> GroupsMeeting(const Box& box) const;
    double Distance(const Group& group, double x, double y) const;
    bool Crosses(const Group& group, const Box& box) const;

    std::vector<Group> m_groups;
    std::vector<Segment> m_segments;
    std::vector<Curve> m_curves;
    std::vector<Label> m_labels;
    std::vector<std::pair<double, double>> m_fillPoints;
    std::vector<Ring> m_rings;
    std::vector<Fill> m_fills;
    std::vector<std::pair<std::string, std::size_t>> m_notDrawn;
    // The bytes of opaque entities in the drawing file, by id: read for their geometry while building.
    const cad::Database* m_db = nullptr;
    std::vector<std::pair<cad::ObjectId, std::size_t>> m_itemOf;
    Box m_extents;
    // The grid: cells of m_cell drawing units from the extents' corner, each listing its groups.
    double m_cell = 1.0;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<std::vector<std::uint32_t>> m_cells;
    // Groups too big for the grid's cells are looked at every time.
    std::vector<std::uint32_t> m_large;
    mutable std::vector<std::uint32_t> m_seen;
    mutable std::uint32_t m_stamp = 0;
};

} // namespace render
