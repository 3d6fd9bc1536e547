#include "platform/cad/dxf/DxfPatch.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>

namespace cad {

namespace {

struct TagSegment { // one entity or record: its group 0 and the tags up to the next
    std::vector<std::pair<int, std::string_view>> tags;
    std::string_view Type() const { return tags.empty() ? std::string_view() : tags[0].second; }
    std::uint64_t Handle() const {
        for (const auto& [code, value] : tags) {
            if (code == 5)
                return ParseHandle(value);
        }
        return 0;
    }
};

std::vector<TagSegment> Segments(std::string_view text, DxfFormat format) {
    std::vector<TagSegment> segments;
    DxfTagStream stream(text, format);
    DxfTag tag;
    while (stream.Next(tag)) {
        if (tag.code == 0 || segments.empty())
            segments.emplace_back();
        segments.back().tags.emplace_back(tag.code, tag.value);
    }
    return segments;
}

// The read segment a written one replaces: the one with its handle, or else the one in its place.
std::size_t MatchingSegment(const std::vector<TagSegment>& read, const std::vector<bool>& used,
                                   const TagSegment& written, std::size_t index) {
    std::uint64_t handle = written.Handle();
    for (std::size_t i = 0; i < read.size(); ++i) {
        if (!used[i] && handle != 0 && read[i].Handle() == handle)
            return read[i].Type() == written.Type() ? i : read.size();
    }
    if (handle == 0 && index < read.size() && !used[index] && read[index].Type() == written.Type())
        return index;
    return read.size();
}


// The group codes this editor models for each type; every other code the file gave stays as it was.
bool Modelled(std::string_view type, int code) {
    static constexpr int kCommon[] = {67, 8, 62};
    static constexpr int kPoint10[] = {10, 20, 30};
    static constexpr int kPoint11[] = {11, 21, 31};
    auto in = [code](std::initializer_list<int> codes) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    bool point10 = std::find(std::begin(kPoint10), std::end(kPoint10), code) != std::end(kPoint10);
    bool point11 = std::find(std::begin(kPoint11), std::end(kPoint11), code) != std::end(kPoint11);
    if (type == "LAYER")
        return in({2, 70, 62, 6});
    if (type == "STYLE")
        return in({2, 40, 41, 50, 3, 4});
    if (type == "BLOCK_RECORD")
        return code == 2;
    if (std::find(std::begin(kCommon), std::end(kCommon), code) != std::end(kCommon))
        return true;
    if (type == "LINE")
        return point10 || point11;
    if (type == "CIRCLE")
        return point10 || code == 40;
    if (type == "ARC")
        return point10 || in({40, 50, 51});
    if (type == "TEXT")
        return point10 || point11 || in({40, 1, 50, 41, 7, 72, 73});
    if (type == "ATTDEF" || type == "ATTRIB")
        return point10 || point11 || in({40, 1, 50, 41, 7, 72, 2, 70, 74}) || (type == "ATTDEF" && code == 3);
    if (type == "INSERT")
        return point10 || in({66, 2, 41, 42, 43, 50, 70, 71, 44, 45});
    if (type == "LWPOLYLINE")
        return in({90, 70, 10, 20, 40, 41, 42, 91});
    if (type == "POLYLINE")
        return point10 || in({66, 70});
    if (type == "VERTEX")
        return point10;
    return false; // SEQEND: only its handle and owner
}

void Merge(const TagSegment& read, const TagSegment& written, Tags& out) {
    std::string_view type = written.Type();
    // What stays of the read tags, by the subclass they were in; "" for those before the first one.
    std::vector<std::pair<std::string_view, std::vector<std::pair<int, std::string_view>>>> kept{{"", {}}};
    std::vector<std::pair<int, std::string_view>> trailing; // an embedded object and extended data
    const auto& tags = read.tags;
    for (std::size_t i = 1; i < tags.size(); ++i) {
        auto [code, value] = tags[i];
        if (code == 101 || code == 1001) {
            trailing.assign(tags.begin() + static_cast<std::ptrdiff_t>(i), tags.end());
            break;
        }
        if (code == 102 && !value.empty() && value[0] == '{') {
            // Reactors and extension dictionaries stay whole, their handles with them.
            std::size_t end = i;
            while (end + 1 < tags.size() && !(tags[end].first == 102 && tags[end].second == "}"))
                ++end;
            kept.back().second.insert(kept.back().second.end(), tags.begin() + static_cast<std::ptrdiff_t>(i),
                                      tags.begin() + static_cast<std::ptrdiff_t>(end) + 1);
            i = end;
            continue;
        }
        if (code == 100) {
            kept.emplace_back(value, std::vector<std::pair<int, std::string_view>>{});
            continue;
        }
        if (code == 5 || code == 330 || Modelled(type, code))
            continue;
        kept.back().second.push_back(tags[i]);
    }
    std::vector<bool> placed(kept.size(), false);
    auto place = [&](std::string_view subclass) {
        for (std::size_t k = 0; k < kept.size(); ++k) {
            if (!placed[k] && kept[k].first == subclass) {
                placed[k] = true;
                for (const auto& [code, value] : kept[k].second)
                    out.emplace_back(code, value);
                return;
            }
        }
    };
    const auto& fresh = written.tags;
    bool headPlaced = false;
    std::string_view subclass;
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        auto [code, value] = fresh[i];
        // A written field this editor does not model (a style's flags, say) gives way to the file's.
        if (i > 0 && code != 5 && code != 330 && code != 100 && !Modelled(type, code))
            continue;
        out.emplace_back(code, value);
        if (code == 100)
            subclass = value;
        bool headHere = !headPlaced && (code == 5 || (i == 0 && (fresh.size() < 2 || fresh[1].first != 5)));
        if (headHere) {
            place("");
            headPlaced = true;
        }
        bool segmentEnds = i + 1 == fresh.size() || fresh[i + 1].first == 100;
        if (segmentEnds && !subclass.empty())
            place(subclass);
    }
    for (std::size_t k = 0; k < kept.size(); ++k) {
        if (!placed[k]) {
            if (!kept[k].first.empty())
                out.emplace_back(100, kept[k].first);
            for (const auto& [code, value] : kept[k].second)
                out.emplace_back(code, value);
        }
    }
    for (const auto& [code, value] : trailing)
        out.emplace_back(code, value);
}

} // namespace

Tags MergeTags(std::string_view read, std::string_view fresh, DxfFormat format) {
    std::vector<TagSegment> readSegments = Segments(read, format);
    std::vector<TagSegment> written = Segments(fresh, format);
    std::vector<bool> used(readSegments.size(), false);
    Tags out;
    for (std::size_t i = 0; i < written.size(); ++i) {
        std::size_t match = MatchingSegment(readSegments, used, written[i], i);
        if (match == readSegments.size()) {
            out.insert(out.end(), written[i].tags.begin(), written[i].tags.end());
            continue;
        }
        used[match] = true;
        Merge(readSegments[match], written[i], out);
    }
    return out;
}

} // namespace cad
