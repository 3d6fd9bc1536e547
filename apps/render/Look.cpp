#include "render/Look.h"

#include "platform/cad/Text.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace render {

std::string UpperName(std::string_view text) {
    std::string upper(text.substr(0, text.find_last_not_of(' ') + 1));
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

namespace {

void Finish(DrawingLook& look, std::string& name, Linetype& linetype) {
    if (!name.empty()) {
        linetype.length = 0.0;
        for (double element : linetype.elements)
            linetype.length += std::abs(element);
        linetype.name = name;
        look.linetypes[name] = linetype;
    }
    name.clear();
    linetype = Linetype{};
}
} // namespace

const Linetype* DrawingLook::Find(const std::string& upperName) const {
    auto found = linetypes.find(upperName);
    return found == linetypes.end() || found->second.Continuous() ? nullptr : &found->second;
}

DrawingLook ReadLook(const cad::DxfLayout* layout) {
    DrawingLook look;
    if (!layout || layout->content.empty())
        return look;
    cad::DxfTagStream stream(layout->content);
    cad::DxfTag tag;
    std::string section;
    std::string variable;
    bool expectSectionName = false;
    bool inLinetype = false;
    std::string name;
    Linetype linetype;
    while (stream.Next(tag)) {
        if (tag.code == 0) {
            if (inLinetype)
                Finish(look, name, linetype);
            inLinetype = false;
            if (cad::NamesEqual(tag.value, "SECTION")) {
                expectSectionName = true;
            } else if (cad::NamesEqual(tag.value, "ENDSEC")) {
                // The tables are all there is to read: the blocks and entities after them are not looked at.
                if (section == "TABLES")
                    break;
                section.clear();
            } else if (section == "TABLES" && cad::NamesEqual(tag.value, "LTYPE")) {
                inLinetype = true;
            }
            continue;
        }
        if (expectSectionName && tag.code == 2) {
            section = UpperName(tag.value);
            expectSectionName = false;
            if (section == "BLOCKS" || section == "ENTITIES" || section == "OBJECTS")
                break;
            continue;
        }
        if (section == "HEADER") {
            if (tag.code == 9) {
                variable = UpperName(tag.value);
                continue;
            }
            if (variable == "$LTSCALE" && tag.code == 40 && tag.number > 0 && tag.number < 1e30)
                look.linetypeScale = tag.number;
            else if (variable == "$LWDISPLAY" && tag.code == 290)
                look.lineweightDisplay = tag.number != 0;
            else if (variable == "$PDMODE" && tag.code == 70)
                look.pointMode = static_cast<int>(tag.number);
            else if (variable == "$PDSIZE" && tag.code == 40 && std::isfinite(tag.number))
                look.pointSize = tag.number;
            else if (variable == "$LWDEFAULT" && tag.code == 370 && tag.number > 0 && tag.number <= 211)
                look.defaultLineweight = static_cast<int>(tag.number);
            continue;
        }
        if (!inLinetype)
            continue;
        if (tag.code == 2)
            name = UpperName(tag.value);
        else if (tag.code == 49 && std::isfinite(tag.number) && std::abs(tag.number) < 1e30)
            linetype.elements.push_back(tag.number);
        else if (tag.code == 74 && tag.number != 0)
            linetype.shapes = true;
    }
    return look;
}

void DashLine(const std::vector<double>& elements, double length, double& phase, double x1, double y1, double x2,
              double y2, const std::function<void(double, double, double, double)>& dash, int most) {
    double total = std::hypot(x2 - x1, y2 - y1);
    if (!(length > 0.0) || elements.empty() || !(total > 0.0) ||
        total / length * static_cast<double>(elements.size()) > most) {
        dash(x1, y1, x2, y2);
        if (length > 0.0 && std::isfinite(total))
            phase = std::fmod(phase + total, length);
        return;
    }
    double ux = (x2 - x1) / total;
    double uy = (y2 - y1) / total;
    double start = std::fmod(phase, length);
    if (start < 0.0)
        start += length;
    // The element the phase falls in, and how far into it.
    std::size_t k = 0;
    double into = start;
    while (k + 1 < elements.size() &&
           (into > std::abs(elements[k]) || (into == std::abs(elements[k]) && elements[k] != 0.0))) {
        into -= std::abs(elements[k]);
        ++k;
    }
    if (into > std::abs(elements[k]))
        into = std::abs(elements[k]);
    double s = 0.0;
    while (s < total) {
        double element = elements[k];
        double rest = std::abs(element) - into;
        if (element > 0.0) {
            double end = std::min(total, s + rest);
            dash(x1 + ux * s, y1 + uy * s, x1 + ux * end, y1 + uy * end);
        } else if (element == 0.0) {
            dash(x1 + ux * s, y1 + uy * s, x1 + ux * s, y1 + uy * s);
        }
        s += rest;
        into = 0.0;
        k = (k + 1) % elements.size();
    }
    phase = std::fmod(start + total, length);
}

} // namespace render
