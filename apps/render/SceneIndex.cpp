// Where the display list's groups are: the grid over the drawing's extents that a view, a pick or a window
// looks up, and the tests of a group against a point or a box.
#include "render/Scene.h"

#include <algorithm>
#include <cmath>

namespace render {

namespace {
// The grid aims at about this many groups to a cell.
constexpr double kGroupsPerCell = 4.0;
constexpr int kMostCellsPerGroup = 64;
} // namespace

void Box::Add(double x, double y) {
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
}

void Box::Add(const Box& other) {
    if (other.Empty())
        return;
    Add(other.minX, other.minY);
    Add(other.maxX, other.maxY);
}

bool Box::Intersects(const Box& o) const {
    return !Empty() && !o.Empty() && minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY;
}

bool Box::Contains(const Box& o) const {
    return !o.Empty() && o.minX >= minX && o.maxX <= maxX && o.minY >= minY && o.maxY <= maxY;
}

Box ViewTransform::Visible() const {
    Box box;
    box.Add(WorldX(0), WorldY(height));
    box.Add(WorldX(width), WorldY(0));
    return box;
}

void ViewTransform::Fit(const Box& box) {
    if (box.Empty()) {
        centreX = centreY = 0.0;
        scale = 10.0;
        return;
    }
    centreX = (box.minX + box.maxX) / 2.0;
    centreY = (box.minY + box.maxY) / 2.0;
    double w = std::max(box.maxX - box.minX, 1e-9);
    double h = std::max(box.maxY - box.minY, 1e-9);
    scale = 0.9 * std::min(width / w, height / h);
    if (!(scale > 0.0) || !std::isfinite(scale))
        scale = 1.0;
}

void Scene::Index() {
    m_cellStart.clear();
    m_cellGroups.clear();
    m_large.clear();
    m_seen.assign(m_groups.size(), 0);
    m_stamp = 0;
    if (m_groups.empty()) {
        m_columns = m_rows = 0;
        return;
    }
    double w = std::max(m_extents.maxX - m_extents.minX, 1e-9);
    double h = std::max(m_extents.maxY - m_extents.minY, 1e-9);
    double cells = std::max(1.0, static_cast<double>(m_groups.size()) / kGroupsPerCell);
    m_cell = std::max(std::sqrt(w * h / cells), std::max(w, h) / 4096.0);
    m_columns = std::max(1, static_cast<int>(std::ceil(w / m_cell)));
    m_rows = std::max(1, static_cast<int>(std::ceil(h / m_cell)));
    // Every cell's groups side by side in one array: counted first, then placed, so that a million groups cost
    // two passes and no allocation a cell.
    std::size_t cellCount = static_cast<std::size_t>(m_columns) * static_cast<std::size_t>(m_rows);
    m_cellStart.assign(cellCount + 1, 0);
    auto eachCell = [&](auto&& visit) {
        for (std::uint32_t i = 0; i < m_groups.size(); ++i) {
            const Box& b = m_groups[i].box;
            int c0 = std::clamp(static_cast<int>((b.minX - m_extents.minX) / m_cell), 0, m_columns - 1);
            int c1 = std::clamp(static_cast<int>((b.maxX - m_extents.minX) / m_cell), 0, m_columns - 1);
            int r0 = std::clamp(static_cast<int>((b.minY - m_extents.minY) / m_cell), 0, m_rows - 1);
            int r1 = std::clamp(static_cast<int>((b.maxY - m_extents.minY) / m_cell), 0, m_rows - 1);
            // Too big for the cells, or reaching beyond the grid (a construction line): looked at every time.
            if ((c1 - c0 + 1) * (r1 - r0 + 1) > kMostCellsPerGroup || !m_extents.Contains(b)) {
                visit(i, cellCount);
                continue;
            }
            for (int r = r0; r <= r1; ++r)
                for (int c = c0; c <= c1; ++c)
                    visit(i, static_cast<std::size_t>(r) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(c));
        }
    };
    eachCell([&](std::uint32_t, std::size_t cell) {
        if (cell < cellCount)
            ++m_cellStart[cell + 1];
    });
    for (std::size_t c = 0; c < cellCount; ++c)
        m_cellStart[c + 1] += m_cellStart[c];
    m_cellGroups.resize(m_cellStart[cellCount]);
    std::vector<std::uint32_t> next(m_cellStart.begin(), m_cellStart.end() - 1);
    eachCell([&](std::uint32_t i, std::size_t cell) {
        if (cell == cellCount)
            m_large.push_back(i);
        else
            m_cellGroups[next[cell]++] = i;
    });
}

std::vector<std::uint32_t> Scene::GroupsMeeting(const Box& box) const {
    std::vector<std::uint32_t> found;
    if (m_groups.empty())
        return found;
    // Away from the drawing only what crosses everything, an XLINE say, can show.
    if (!box.Intersects(m_extents)) {
        for (std::uint32_t i : m_large)
            if (m_groups[i].box.Intersects(box))
                found.push_back(i);
        return found;
    }
    // The whole drawing in view: every group, in order, without looking at a cell.
    if (box.Contains(m_extents)) {
        found.resize(m_groups.size());
        for (std::uint32_t i = 0; i < found.size(); ++i)
            found[i] = i;
        return found;
    }
    if (++m_stamp == 0) {
        std::fill(m_seen.begin(), m_seen.end(), 0);
        m_stamp = 1;
    }
    int c0 = std::clamp(static_cast<int>((box.minX - m_extents.minX) / m_cell), 0, m_columns - 1);
    int c1 = std::clamp(static_cast<int>((box.maxX - m_extents.minX) / m_cell), 0, m_columns - 1);
    int r0 = std::clamp(static_cast<int>((box.minY - m_extents.minY) / m_cell), 0, m_rows - 1);
    int r1 = std::clamp(static_cast<int>((box.maxY - m_extents.minY) / m_cell), 0, m_rows - 1);
    auto consider = [&](std::uint32_t i) {
        if (m_seen[i] == m_stamp)
            return;
        m_seen[i] = m_stamp;
        if (m_groups[i].box.Intersects(box))
            found.push_back(i);
    };
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            for (std::size_t cell = static_cast<std::size_t>(r) * static_cast<std::size_t>(m_columns) + static_cast<std::size_t>(c),
                             k = m_cellStart[cell];
                 k < m_cellStart[cell + 1]; ++k)
                consider(m_cellGroups[k]);
    for (std::uint32_t i : m_large)
        consider(i);
    // Back into drawing order: by a sort when few, by a pass over a bit for each group when many.
    if (found.size() < m_groups.size() / 64) {
        std::sort(found.begin(), found.end());
        return found;
    }
    std::vector<std::uint64_t> bits(m_groups.size() / 64 + 1, 0);
    for (std::uint32_t i : found)
        bits[i / 64] |= std::uint64_t{1} << (i % 64);
    found.clear();
    for (std::size_t word = 0; word < bits.size(); ++word)
        for (std::uint64_t w = bits[word]; w != 0; w &= w - 1)
            found.push_back(static_cast<std::uint32_t>(word * 64 + static_cast<std::size_t>(__builtin_ctzll(w))));
    return found;
}

double Scene::Distance(const Group& g, double x, double y) const {
    double best = 1e300;
    for (std::uint32_t s = g.firstSegment; s < g.firstSegment + g.segments; ++s) {
        const Segment& seg = m_segments[s];
        double dx = seg.x2 - seg.x1;
        double dy = seg.y2 - seg.y1;
        double length = dx * dx + dy * dy;
        double t = length > 0 ? std::clamp(((x - seg.x1) * dx + (y - seg.y1) * dy) / length, 0.0, 1.0) : 0.0;
        best = std::min(best, std::hypot(x - (seg.x1 + t * dx), y - (seg.y1 + t * dy)));
    }
    for (std::uint32_t k = g.firstCurve; k < g.firstCurve + g.curves; ++k) {
        const Curve& c = m_curves[k];
        best = std::min(best, std::abs(std::hypot(x - c.cx, y - c.cy) - c.r));
    }
    for (std::uint32_t l = g.firstLabel; l < g.firstLabel + g.labels; ++l) {
        const Label& label = m_labels[l];
        double width = 0.6 * label.height * static_cast<double>(label.textLength);
        if (x >= label.x && x <= label.x + width && y >= label.y && y <= label.y + label.height)
            best = 0.0;
    }
    return best;
}

cad::ObjectId Scene::Pick(double x, double y, double tolerance) const {
    Box around;
    around.Add(x - tolerance, y - tolerance);
    around.Add(x + tolerance, y + tolerance);
    cad::ObjectId best = cad::kNullId;
    double nearest = tolerance;
    for (std::uint32_t i : GroupsMeeting(around)) {
        double d = Distance(m_groups[i], x, y);
        if (d <= nearest) {
            nearest = d;
            best = m_groups[i].id;
        }
    }
    return best;
}

bool Scene::Crosses(const Group& g, const Box& box) const {
    if (box.Contains(g.box))
        return true;
    // A line crosses the box when its part inside the box's slab in x also lies within it in y.
    for (std::uint32_t s = g.firstSegment; s < g.firstSegment + g.segments; ++s) {
        const Segment& seg = m_segments[s];
        double t0 = 0.0;
        double t1 = 1.0;
        double dx = seg.x2 - seg.x1;
        double dy = seg.y2 - seg.y1;
        auto clip = [&](double p, double q) {
            if (p == 0.0)
                return q >= 0.0;
            double t = q / p;
            if (p < 0.0) {
                if (t > t1)
                    return false;
                t0 = std::max(t0, t);
            } else {
                if (t < t0)
                    return false;
                t1 = std::min(t1, t);
            }
            return true;
        };
        if (clip(-dx, seg.x1 - box.minX) && clip(dx, box.maxX - seg.x1) && clip(-dy, seg.y1 - box.minY) &&
            clip(dy, box.maxY - seg.y1) && t0 <= t1)
            return true;
    }
    for (std::uint32_t k = g.firstCurve; k < g.firstCurve + g.curves; ++k) {
        const Curve& c = m_curves[k];
        Box circle;
        circle.Add(c.cx - c.r, c.cy - c.r);
        circle.Add(c.cx + c.r, c.cy + c.r);
        if (circle.Intersects(box))
            return true;
    }
    for (std::uint32_t l = g.firstLabel; l < g.firstLabel + g.labels; ++l) {
        Box text;
        text.Add(m_labels[l].x, m_labels[l].y);
        if (text.Intersects(box))
            return true;
    }
    return false;
}

std::vector<cad::ObjectId> Scene::InBox(const Box& box, bool crossing) const {
    std::vector<cad::ObjectId> ids;
    for (std::uint32_t i : GroupsMeeting(box)) {
        const Group& g = m_groups[i];
        if (crossing ? Crosses(g, box) : box.Contains(g.box))
            ids.push_back(g.id);
    }
    return ids;
}

Box Scene::BoxOf(const std::vector<cad::ObjectId>& ids) const {
    Box box;
    for (const Group& group : m_groups) {
        if (!group.box.Empty() && std::binary_search(ids.begin(), ids.end(), group.id))
            box.Add(group.box);
    }
    return box;
}

} // namespace render
