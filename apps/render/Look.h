#pragma once

// What a drawing says about how it looks beyond its entities: the header's scales and switches and the
// linetypes of its LTYPE table, read from the file's bytes (the editor models neither).
#include "platform/cad/dxf/DxfLayout.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace render {

struct Linetype {
    std::string name;
    // Lengths in drawing units: a dash when positive, a gap when negative, a dot when 0.
    std::vector<double> elements;
    double length = 0.0; // of one repeat
    bool shapes = false; // has texts or shapes, drawn here as plain dashes
    bool Continuous() const { return elements.empty() || length <= 0.0; }
};

struct DrawingLook {
    double linetypeScale = 1.0; // $LTSCALE
    bool lineweightDisplay = false; // $LWDISPLAY
    int pointMode = 0;     // $PDMODE
    double pointSize = 0.0; // $PDSIZE: negative a percentage of the view's height, 0 five per cent
    int defaultLineweight = 25; // $LWDEFAULT, hundredths of a millimetre
    std::map<std::string, Linetype> linetypes; // by upper-case name
    const Linetype* Find(const std::string& upperName) const;
};

// A name as the drawing's tables key it: upper case, without trailing blanks (layers, linetypes, kinds).
[[nodiscard]] std::string UpperName(std::string_view text);

// Reads the header and the LTYPE table; a drawing made in the editor (no layout) looks as a new one does.
[[nodiscard]] DrawingLook ReadLook(const cad::DxfLayout* layout);

// Cuts a line into the dashes of `elements` (already scaled), starting `phase` into the pattern and leaving
// `phase` where the line ends, so that the next line of a path goes on from there. Each dash is given to `dash`;
// a dot is a dash of no length. Too many dashes to show (more than `most`) and the line is drawn whole.
void DashLine(const std::vector<double>& elements, double length, double& phase, double x1, double y1, double x2,
              double y2, const std::function<void(double, double, double, double)>& dash, int most = 1000);

} // namespace render
