// Meshes drawn as their edges: a POLYLINE that is a polygon mesh or a polyface, and a MESH.
#include "render/Meshes.h"

#include "platform/cad/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace render {

bool AddMeshPolyline(Scene& scene, const Tags& tags, const Placement& at, Group& group) {
    std::size_t head = 0;
    while (head < tags.all.size() && !(tags.all[head].code == 0 && head > 0))
        ++head;
    int flags = 0, m = 0, n = 0;
    for (std::size_t i = 1; i < head; ++i) {
        if (tags.all[i].code == 70)
            flags = static_cast<int>(tags.all[i].number);
        else if (tags.all[i].code == 71)
            m = static_cast<int>(tags.all[i].number);
        else if (tags.all[i].code == 72)
            n = static_cast<int>(tags.all[i].number);
    }
    if (!(flags & (16 | 64)))
        return false;
    struct Vertex {
        double x = 0, y = 0;
        int flags = 0;
        int index[4] = {0, 0, 0, 0};
    };
    std::vector<Vertex> vertices;
    for (std::size_t i = head; i < tags.all.size(); ++i) {
        const cad::DxfTag& tag = tags.all[i];
        if (tag.code == 0) {
            if (cad::NamesEqual(tag.value, "SEQEND"))
                break;
            vertices.emplace_back();
            continue;
        }
        if (vertices.empty())
            continue;
        Vertex& v = vertices.back();
        if (tag.code == 10)
            v.x = tag.number;
        else if (tag.code == 20)
            v.y = tag.number;
        else if (tag.code == 70)
            v.flags = static_cast<int>(tag.number);
        else if (tag.code >= 71 && tag.code <= 74 && std::abs(tag.number) < 1e9)
            v.index[tag.code - 71] = static_cast<int>(tag.number);
    }
    auto edge = [&](const Vertex& a, const Vertex& b) {
        scene.AddSegment(group, at.X(a.x, a.y), at.Y(a.x, a.y), at.X(b.x, b.y), at.Y(b.x, b.y));
    };
    if (flags & 64) {
        // The points are the vertices that are not faces; a face names up to four of them, from 1.
        std::vector<const Vertex*> points;
        for (const Vertex& v : vertices)
            if (!((v.flags & 128) && !(v.flags & 64)))
                points.push_back(&v);
        for (const Vertex& face : vertices) {
            if (!((face.flags & 128) && !(face.flags & 64)))
                continue;
            int corners = 0;
            while (corners < 4 && face.index[corners] != 0)
                ++corners;
            for (int k = 0; k < corners; ++k) {
                int from = face.index[k], to = face.index[(k + 1) % corners];
                std::size_t a = static_cast<std::size_t>(std::abs(from)), b = static_cast<std::size_t>(std::abs(to));
                if (from < 0 || a == 0 || b == 0 || a > points.size() || b > points.size())
                    continue;
                edge(*points[a - 1], *points[b - 1]);
            }
        }
        return true;
    }
    // M rows of N vertices, closed in M (1) and in N (32) when the flags say.
    if (m < 2 || n < 2 || static_cast<std::size_t>(m) * static_cast<std::size_t>(n) > vertices.size())
        return true;
    auto at2 = [&](int row, int column) -> const Vertex& { return vertices[static_cast<std::size_t>(row) * n + column]; };
    for (int row = 0; row < m; ++row)
        for (int column = 0; column < n; ++column) {
            if (column + 1 < n || (flags & 32))
                edge(at2(row, column), at2(row, (column + 1) % n));
            if (row + 1 < m || (flags & 1))
                edge(at2(row, column), at2((row + 1) % m, column));
        }
    return true;
}

void AddMesh(Scene& scene, const Tags& tags, const Placement& at, Group& group) {
    // 92: how many vertices (10/20/30 each) follow; 93: how many numbers of the face list (90 each) follow, each face
    // its corner count then its corners' numbers from 0.
    std::vector<std::pair<double, double>> vertices;
    std::vector<long> faces;
    std::size_t i = 0;
    const auto& all = tags.all;
    while (i < all.size()) {
        if (all[i].code == 92) {
            auto count = static_cast<std::size_t>(std::clamp(all[i].number, 0.0, 1e8));
            for (++i; i < all.size(); ++i) {
                if (all[i].code == 10 && vertices.size() == count)
                    break;
                if (all[i].code == 10)
                    vertices.emplace_back(all[i].number, 0.0);
                else if (all[i].code == 20 && !vertices.empty())
                    vertices.back().second = all[i].number;
                else if (all[i].code != 30)
                    break;
            }
            continue;
        }
        if (all[i].code == 93) {
            auto count = static_cast<std::size_t>(std::clamp(all[i].number, 0.0, 1e8));
            for (++i; i < all.size() && all[i].code == 90 && faces.size() < count; ++i)
                faces.push_back(static_cast<long>(std::clamp(all[i].number, -1.0, 1e9)));
            continue;
        }
        ++i;
    }
    for (std::size_t f = 0; f < faces.size();) {
        long corners = faces[f];
        if (corners < 2 || f + 1 + static_cast<std::size_t>(corners) > faces.size())
            break;
        for (long k = 0; k < corners; ++k) {
            long a = faces[f + 1 + static_cast<std::size_t>(k)];
            long b = faces[f + 1 + static_cast<std::size_t>((k + 1) % corners)];
            if (a < 0 || b < 0 || static_cast<std::size_t>(a) >= vertices.size() || static_cast<std::size_t>(b) >= vertices.size())
                continue;
            const auto& p = vertices[static_cast<std::size_t>(a)];
            const auto& q = vertices[static_cast<std::size_t>(b)];
            scene.AddSegment(group, at.X(p.first, p.second), at.Y(p.first, p.second), at.X(q.first, q.second),
                             at.Y(q.first, q.second));
        }
        f += 1 + static_cast<std::size_t>(corners);
    }
}

} // namespace render
