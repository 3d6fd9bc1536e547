#pragma once

// An entity's tags as read for its geometry, and the helpers its builders share.
#include "render/Curves.h"
#include "render/Placement.h"
#include "render/Scene.h"

#include "platform/cad/dxf/DxfTags.h"

#include <string_view>
#include <vector>

namespace render {

// The tags of one entity, in order, as numbers and texts.
struct Tags {
    std::vector<cad::DxfTag> all;
    // The place of the first group `code`, or all.size() when there is none.
    std::size_t Find(int code) const {
        std::size_t i = 0;
        while (i < all.size() && all[i].code != code)
            ++i;
        return i;
    }
    double Number(int code, double fallback = 0.0) const {
        for (const cad::DxfTag& tag : all)
            if (tag.code == code)
                return tag.number;
        return fallback;
    }
    std::string_view Text(int code) const {
        for (const cad::DxfTag& tag : all)
            if (tag.code == code)
                return tag.value;
        return {};
    }
    // The x of every group `code` with the y of the group 10 after it.
    Points PointsOf(int code) const {
        Points points;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (all[i].code == code)
                points.emplace_back(all[i].number, i + 1 < all.size() && all[i + 1].code == code + 10 ? all[i + 1].number : 0.0);
        }
        return points;
    }
};

inline bool ReadTags(std::string_view bytes, cad::DxfFormat format, Tags& tags) {
    cad::DxfTagStream stream(bytes, format);
    cad::DxfTag tag;
    // About as many tags as lines of twelve bytes: one allocation for most entities.
    tags.all.reserve(bytes.size() / 12 + 8);
    while (stream.Next(tag))
        tags.all.push_back(tag);
    return !stream.Failed() && !tags.all.empty();
}

inline void AddPath(Scene& scene, Group& group, const Placement& at, const Points& points) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        scene.AddSegment(group, at.X(points[i].first, points[i].second), at.Y(points[i].first, points[i].second),
                         at.X(points[i + 1].first, points[i + 1].second), at.Y(points[i + 1].first, points[i + 1].second));
}

inline Points Placed(const Placement& at, const Points& points) {
    Points placed;
    placed.reserve(points.size());
    for (const auto& [x, y] : points)
        placed.emplace_back(at.X(x, y), at.Y(x, y));
    return placed;
}

} // namespace render
