#pragma once

#include "platform/cad/Database.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ui {
class Image;
}

// Model space as the drawing view shows it: every entity flattened into world-coordinate lines, circular
// arcs and texts, block references through their blocks, grouped by the model-space entity they come from,
// with a grid over the drawing's extents so that a view paints only what it shows.
namespace gui {

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
};

struct Group {
    cad::ObjectId id = cad::kNullId;
    Box box;
    std::uint32_t firstSegment = 0, segments = 0;
    std::uint32_t firstCurve = 0, curves = 0;
    std::uint32_t firstLabel = 0, labels = 0;
    std::uint8_t colour = 7;
};

class Scene {
public:
    // Reads model space afresh.
    void Build(const cad::Database& db);
    const Box& Extents() const { return m_extents; }
    std::size_t GroupCount() const { return m_groups.size(); }
    std::size_t SegmentCount() const { return m_segments.size(); }

    // Paints the part of the drawing in view; groups in `highlighted` (sorted ids) are drawn dashed.
    void Render(ui::Image& image, const ViewTransform& view, const std::vector<cad::ObjectId>& highlighted) const;

    // The entity whose drawing passes nearest to the point, within `tolerance` drawing units.
    cad::ObjectId Pick(double x, double y, double tolerance) const;
    // Entities wholly inside the box (a window), or with some part in it (crossing), in drawing order.
    std::vector<cad::ObjectId> InBox(const Box& box, bool crossing) const;

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

} // namespace gui
