#pragma once

// A plot: the drawing painted by the view's own renderer onto a PNG image, or a PDF or SVG page of vectors.
#include "platform/cad/Database.h"

#include <string>
#include <vector>

namespace render {

struct PlotOptions {
    std::string output;          // .png, .pdf or .svg
    bool windowGiven = false;    // else the drawing's extents with a margin
    double window[4] = {0, 0, 0, 0}; // X1, Y1, X2, Y2
    int width = 1600;
    int height = 1000;
    bool blackBackground = false;
    std::string layout; // a paper-space layout by name (any case); empty: model space
};

// Plots model space of `db` (or the layout named) to the file, written whole or not at all; false with `why`. `notes` gets what was
// not drawn ("not drawn: 12 REGION") and what was drawn otherwise ("SHX fonts drawn in a sans face: txt"), a line
// each.
[[nodiscard]] bool PlotDrawing(const cad::Database& db, const PlotOptions& options, std::string& why,
                               std::vector<std::string>& notes);

} // namespace render
